#include "ui/ScreenFit.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

// Assumed frame while the window system has not told it: the title bar of a
// common desktop at 100 % and thin borders.
constexpr QMargins kAssumedFrame(4, 32, 4, 4);

QRect availableGeometry(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

QSize fitWindowSize(const QSize& wanted, const QSize& minimum, const QRect& available, const QMargins& frame,
                    int scrollBar)
{
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    QSize size = wanted.boundedTo(room);
    if (size.height() < wanted.height())
        size.setWidth(std::min(room.width(), size.width() + scrollBar));
    if (size.width() < wanted.width())
        size.setHeight(std::min(room.height(), size.height() + scrollBar));
    return size.expandedTo(minimum);
}

QPoint fitWindowPosition(const QPoint& at, const QSize& frameSize, const QRect& available)
{
    const int x =
        std::max(available.left(), std::min(at.x(), available.left() + available.width() - frameSize.width()));
    const int y =
        std::max(available.top(), std::min(at.y(), available.top() + available.height() - frameSize.height()));
    return {x, y};
}

QMargins windowFrameMargins(const QWidget* window)
{
    if (const QWindow* handle = window->windowHandle(); handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    return kAssumedFrame;
}

void resizeToScreen(QWidget* window)
{
    const QRect available = availableGeometry(window);
    if (!available.isValid())
        return;
    // Layouts keep the size hints they met while the window was being built,
    // some before its pages were filled in: have them asked afresh.
    for (QWidget* widget : window->findChildren<QWidget*>())
        widget->updateGeometry();
    const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
    const int scrollBar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    window->resize(fitWindowSize(window->sizeHint(), minimum, available, windowFrameMargins(window), scrollBar));
}

void keepOnScreen(QWidget* window)
{
    const QRect available = availableGeometry(window);
    if (!available.isValid())
        return;
    const QMargins frame = windowFrameMargins(window);
    const QRect client = window->geometry();
    const QPoint frameTopLeft = client.topLeft() - QPoint(frame.left(), frame.top());
    const QSize frameSize = client.size().grownBy(frame);
    const QPoint fitted = fitWindowPosition(frameTopLeft, frameSize, available);
    if (fitted != frameTopLeft)
        window->setGeometry(QRect(fitted + QPoint(frame.left(), frame.top()), client.size()));
}
