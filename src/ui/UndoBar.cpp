#include "ui/UndoBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QUndoStack>

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

void UndoBar::offer(const QString& text, QUndoStack& history)
{
    dismiss();
    m_text->setText(text);
    m_button->setAccessibleName(QStringLiteral("Undo: ") + text);
    m_history = &history;
    m_index = history.index();
    // Any other step of the history (an undo, a redo, a new change) ends the offer.
    m_watch = connect(&history, &QUndoStack::indexChanged, this, [this](int index) {
        if (index != m_index)
            dismiss();
    });
    show();
}

void UndoBar::dismiss()
{
    disconnect(m_watch);
    m_history = nullptr;
    m_index = -1;
    hide();
}

bool UndoBar::undo()
{
    QUndoStack* history = m_history;
    if (!history || history->index() != m_index || !history->canUndo())
        return false;
    dismiss();
    history->undo();
    return true;
}

QString UndoBar::text() const
{
    return isHidden() ? QString() : m_text->text();
}

QString countedText(std::size_t count, const char* one, const char* many)
{
    // The program's texts are English, and so is the grouping of the count.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(static_cast<qulonglong>(count)) +
           QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

QString deletedText(std::size_t count, const char* one, const char* many)
{
    return countedText(count, one, many) + QStringLiteral(" deleted.");
}
