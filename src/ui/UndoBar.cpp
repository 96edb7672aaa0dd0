#include "ui/UndoBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

UndoBar::UndoBar(QWidget* parent)
    : QFrame(parent), m_text(new QLabel(this)), m_button(new QPushButton(QStringLiteral("&Undo"), this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    m_text->setObjectName(QStringLiteral("undoText"));
    m_button->setObjectName(QStringLiteral("undoButton"));
    m_button->setAutoDefault(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, &UndoBar::undo);
    hide();
}

void UndoBar::offer(const QString& text, std::function<void()> undo)
{
    m_text->setText(text);
    m_button->setAccessibleName(QStringLiteral("Undo: ") + text);
    m_undo = std::move(undo);
    show();
}

void UndoBar::dismiss()
{
    m_undo = nullptr;
    hide();
}

bool UndoBar::undo()
{
    if (!m_undo)
        return false;
    // Taken first: what it does may end in a change that dismisses the bar.
    const std::function<void()> undo = std::move(m_undo);
    dismiss();
    undo();
    return true;
}

QString UndoBar::text() const
{
    return isHidden() ? QString() : m_text->text();
}

QString deletedText(std::size_t count, const char* one, const char* many)
{
    // The program's texts are English, and so is the grouping of the count.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(static_cast<qulonglong>(count)) +
           QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many) + QStringLiteral(" deleted.");
}
