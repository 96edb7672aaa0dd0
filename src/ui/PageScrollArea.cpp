#include "ui/PageScrollArea.h"

#include <QApplication>

PageScrollArea::PageScrollArea(QWidget* parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // The page's own controls take the focus; the area is only their frame.
    setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { onFocusChanged(now); });
}

QSize PageScrollArea::sizeHint() const
{
    const QWidget* page = widget();
    if (!page)
        return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return page->sizeHint().expandedTo(page->minimumSizeHint()).expandedTo(page->minimumSize()) + QSize(frame, frame);
}

void PageScrollArea::onFocusChanged(QWidget* now)
{
    if (now && widget() && widget()->isAncestorOf(now))
        ensureWidgetVisible(now);
}
