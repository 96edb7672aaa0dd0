#include "app/UserActionWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

UserActionWatch::UserActionWatch(QWidget* window, std::function<void()> acted)
    : QObject(window), m_window(window), m_acted(std::move(acted))
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool UserActionWatch::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::WindowActivate:
        break;
    default:
        return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (m_pending || !widget || widget->window() != m_window)
        return false;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        m_acted();
    });
    return false;
}
