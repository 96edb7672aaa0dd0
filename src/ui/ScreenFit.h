#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Keeping a window on small and scaled screens: a window gets the size it
// wants where its screen's free area (without task bars) has room, and that
// room where it has not, frame included; never less than its minimum. Its
// pages scroll when it gets less than it wants.

// The client size of a window that wants wanted and needs minimum, with
// frame around it, inside available. A window that gets less height than
// it wants scrolls up and down: it gets the width of a scroll bar
// (scrollBar) more where there is room, so that it need not scroll
// sideways too; likewise the height of one when it gets less width.
QSize fitWindowSize(const QSize& wanted, const QSize& minimum, const QRect& available, const QMargins& frame,
                    int scrollBar = 0);

// The top left corner of a frame of frameSize at at, moved as little as
// needed to lie inside available (at available's top left when too big).
QPoint fitWindowPosition(const QPoint& at, const QSize& frameSize, const QRect& available);

// The window system's frame around window, or a title bar and thin borders
// while it has not told yet (before the window is mapped).
QMargins windowFrameMargins(const QWidget* window);

// Resizes a window about to be shown to fit its screen's free area.
void resizeToScreen(QWidget* window);
// Moves a shown window so that its frame lies inside its screen's free area.
void keepOnScreen(QWidget* window);
