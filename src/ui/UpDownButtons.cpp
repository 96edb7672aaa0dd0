#include "ui/UpDownButtons.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

// Each arrow as small as a classic up-down control's half.
constexpr QSize kArrowSize(16, 11);

// A notch of a common mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;

} // namespace

UpDownButtons::UpDownButtons(QWidget* parent) : QWidget(parent)
{
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("up"));
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setObjectName(QStringLiteral("down"));
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFixedSize(kArrowSize);
        button->setFocusPolicy(Qt::NoFocus);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, &UpDownButtons::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDownButtons::stepDown);
}

QString UpDownButtons::steppedName(const QString& fieldName)
{
    QString what = fieldName.simplified();
    while (what.endsWith(QLatin1Char(':')))
        what = what.chopped(1).trimmed();
    // Inside a sentence a word in title case is written small ("Image
    // Distance" gives "image distance"); abbreviations ("AE", "DPI") stay.
    QStringList words = what.split(QLatin1Char(' '));
    for (QString& word : words)
        if (word.size() > 1 && word.at(0).isUpper() && word.at(1).isLower())
            word[0] = word.at(0).toLower();
    return words.join(QLatin1Char(' '));
}

void UpDownButtons::attachField(QWidget* field)
{
    if (m_field)
        m_field->removeEventFilter(this);
    m_field = field;
    m_wheelRemainder = 0;
    if (!m_field)
        return;
    m_field->installEventFilter(this);
    // Named after the field they step, as a screen reader says it: "Copies:"
    // gives "Increase copies" and "Decrease copies".
    QAccessibleInterface* named = QAccessible::queryAccessibleInterface(m_field);
    const QString what = steppedName(named ? named->text(QAccessible::Name) : QString());
    m_up->setAccessibleName(QStringLiteral("Increase ") + what);
    m_down->setAccessibleName(QStringLiteral("Decrease ") + what);
}

void UpDownButtons::step(int direction)
{
    // A disabled field or pair of arrows takes no step, whatever reaches it.
    if (!isEnabled() || (m_field && !m_field->isEnabled()))
        return;
    if (direction > 0)
        emit stepUp();
    else
        emit stepDown();
}

bool UpDownButtons::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && modifiers == Qt::NoModifier) {
            step(key->key() == Qt::Key_Up ? +1 : -1);
            return true;
        }
    } else if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->angleDelta().y() == 0)
            return false;
        // High-resolution wheels send parts of a notch: a step per whole one.
        m_wheelRemainder += wheel->angleDelta().y();
        const int notches = m_wheelRemainder / kWheelNotch;
        m_wheelRemainder -= notches * kWheelNotch;
        for (int i = 0; i < std::abs(notches); ++i)
            step(notches > 0 ? +1 : -1);
        wheel->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
