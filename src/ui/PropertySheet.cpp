#include "ui/PropertySheet.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <functional>

#include "ui/PageScrollArea.h"
#include "ui/PropertyPage.h"
#include "ui/ScreenFit.h"

namespace {

// The pages' stack asks for room for the largest page, including pages added
// later, so that the window opens big enough and never jumps; it can still
// shrink to what the pages need at least, where the screen is smaller (the
// pages then scroll).
class ReservingStack : public QStackedWidget {
  public:
    void reserve(const QSize& size)
    {
        m_reserved = m_reserved.expandedTo(size);
        updateGeometry();
    }
    QSize sizeHint() const override { return QStackedWidget::sizeHint().expandedTo(m_reserved); }

  private:
    QSize m_reserved;
};

} // namespace

namespace {

// The controls inside container that Tab visits, in the window's Tab order.
std::vector<QWidget*> tabStopsWithin(const QWidget* container)
{
    std::vector<QWidget*> stops;
    const QWidget* window = container->window();
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        const bool tabStop = (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
        if (tabStop && container->isAncestorOf(w))
            stops.push_back(w);
    }
    return stops;
}

// A tab bar that does not move by itself: a click, its arrow keys and the
// wheel only ask for a page, and the sheet moves the bar once the current
// page has agreed to be left.
class RequestingTabBar : public QTabBar {
  public:
    RequestingTabBar(QWidget* parent, std::function<void(int)> request) : QTabBar(parent), m_request(std::move(request))
    {
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const int index = tabAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && index >= 0 && index != currentIndex()) {
            event->accept();
            if (isTabEnabled(index))
                m_request(index);
            return;
        }
        QTabBar::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right) {
            QTabBar::keyPressEvent(event);
            return;
        }
        const bool back = event->key() == (isRightToLeft() ? Qt::Key_Right : Qt::Key_Left);
        event->accept();
        requestNext(back ? -1 : +1);
    }

    void wheelEvent(QWheelEvent* event) override
    {
        if (!style()->styleHint(QStyle::SH_TabBar_AllowWheelScrolling, nullptr, this)) {
            QTabBar::wheelEvent(event);
            return;
        }
        const QPoint delta = event->angleDelta();
        const int along = std::abs(delta.x()) > std::abs(delta.y()) ? delta.x() : delta.y();
        event->accept();
        if (along != 0)
            requestNext(along > 0 ? -1 : +1);
    }

  private:
    // The next enabled tab in direction, without going round the ends, as
    // the bar's own keys do.
    void requestNext(int direction)
    {
        for (int index = currentIndex() + direction; index >= 0 && index < count(); index += direction) {
            if (isTabEnabled(index)) {
                m_request(index);
                return;
            }
        }
    }

    std::function<void(int)> m_request;
};

} // namespace

PropertySheet::PropertySheet(QWidget* parent) : QDialog(parent)
{
    m_tabs = new RequestingTabBar(this, [this](int index) { setActivePage(index); });
    m_tabs->setObjectName(QStringLiteral("sheetTabs"));
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    m_stack = new ReservingStack;
    m_stack->setObjectName(QStringLiteral("sheetPages"));
    m_stack->setFrameShape(QFrame::StyledPanel);
    m_scroller = new PageScrollArea(this);
    m_scroller->setObjectName(QStringLiteral("sheetPageArea"));
    m_scroller->setWidget(m_stack);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("sheetOkButton"));
    m_ok->setDefault(true);
    m_cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("sheetCancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_scroller, 1);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    connect(m_tabs, &QTabBar::currentChanged, this, &PropertySheet::onTabChanged);

    // The keys of a tabbed window, wherever the focus is in it.
    const std::pair<QKeySequence, int> steps[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), +1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1}, // Shift+Tab arrives as Backtab: matched too
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), +1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [keys, step] : steps) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { stepPage(step); });
    }
}

void PropertySheet::addPage(PropertyPage* page, const QString& title)
{
    m_pages.push_back(page);
    m_stack->addWidget(page);
    m_switching = true; // adding the first tab makes it current: not a user's change
    m_tabs->addTab(title);
    m_switching = false;
    orderTabStops();
}

void PropertySheet::orderTabStops()
{
    // Pages made before they were added stand after the buttons in the Tab
    // order; put them between the tab bar and the buttons.
    std::vector<QWidget*> order{m_tabs};
    for (QWidget* stop : tabStopsWithin(m_stack))
        order.push_back(stop);
    order.push_back(m_ok);
    order.push_back(m_cancel);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

bool PropertySheet::focusNextPrevChild(bool next)
{
    // The controls Tab stops at, in the window's order. A widget that only
    // hands its focus on to another is no stop of its own: the button box
    // stands apart from its buttons in that order, and would send Tab from
    // the last button back to the first instead of on to the tab bar.
    std::vector<QWidget*> stops;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        const bool tabStop = (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
        if (tabStop && w->window() == this && w->isVisibleTo(this) && w->isEnabled())
            stops.push_back(w);
    }
    QWidget* focus = focusWidget();
    auto at = std::find(stops.begin(), stops.end(), focus);
    if (at == stops.end()) // the focus inside a control made of several
        at = std::find_if(stops.begin(), stops.end(),
                          [focus](QWidget* stop) { return focus && stop->isAncestorOf(focus); });
    if (stops.empty() || at == stops.end())
        return QDialog::focusNextPrevChild(next);
    const auto index = static_cast<std::size_t>(at - stops.begin());
    QWidget* target = stops[(index + (next ? 1 : stops.size() - 1)) % stops.size()];
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void PropertySheet::reservePageSize(const QSize& size)
{
    static_cast<ReservingStack*>(m_stack)->reserve(size);
}

bool PropertySheet::hasPage(const PropertyPage* page) const
{
    return std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end();
}

PropertyPage* PropertySheet::activePage() const
{
    return m_active >= 0 ? m_pages[static_cast<std::size_t>(m_active)] : nullptr;
}

bool PropertySheet::setActivePage(int index)
{
    if (index < 0 || index >= pageCount())
        return false;
    if (PropertyPage* current = activePage(); current && !current->onKillActive())
        return false;
    activate(index);
    return true;
}

void PropertySheet::stepPage(int step)
{
    if (pageCount() < 2 || m_active < 0)
        return;
    setActivePage((m_active + step + pageCount()) % pageCount());
}

void PropertySheet::activate(int index)
{
    m_active = index;
    m_switching = true;
    m_tabs->setCurrentIndex(index);
    m_switching = false;
    m_stack->setCurrentIndex(index);
    m_pages[static_cast<std::size_t>(index)]->onSetActive();
}

void PropertySheet::onTabChanged(int index)
{
    // Only a change the sheet did not make itself gets here (the bar's own
    // clicks, keys and wheel ask first): move the bar back when the page
    // refuses.
    if (m_switching || index < 0 || index == m_active)
        return;
    if (PropertyPage* current = activePage(); current && !current->onKillActive()) {
        m_switching = true;
        m_tabs->setCurrentIndex(m_active);
        m_switching = false;
        return;
    }
    activate(index);
}

void PropertySheet::showEvent(QShowEvent* event)
{
    if (m_active < 0 && !m_pages.empty())
        activate(0);
    if (!m_fitted)
        resizeToScreen(this);
    QDialog::showEvent(event);
    if (!m_fitted) {
        m_fitted = true;
        keepOnScreen(this);
    }
}

void PropertySheet::accept()
{
    PropertyPage* current = activePage();
    if (!current)
        return;
    if (!current->onKillActive())
        return;
    if (!current->onApply())
        return;
    QDialog::accept();
}

void PropertySheet::reject()
{
    PropertyPage* current = activePage();
    if (current && !current->onQueryCancel())
        return;
    QDialog::reject();
}
