#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class PageScrollArea;
class PropertyPage;
class QPushButton;
class QStackedWidget;
class QTabBar;

// A tabbed dialog of pages with two buttons: OK ("Save and Exit") leaves the
// current page and applies; Cancel ("Exit"), Escape and the close box ask
// the current page whether to close.
//
// Every change of page, by a click on a tab, by the keys of a focused tab
// bar, by the wheel over it or by Ctrl+Tab / Ctrl+Shift+Tab and
// Ctrl+PgDn / Ctrl+PgUp anywhere in the window, first asks the current page
// to leave; the tab bar moves only when it agreed. Tab visits the tab bar,
// the page's controls in their order, then the two buttons. The window fits
// its screen's free area; the pages scroll when they get less room than the
// largest page wants.
class PropertySheet : public QDialog {
    Q_OBJECT
  public:
    explicit PropertySheet(QWidget* parent = nullptr);

    // Appends a page with its tab title; the sheet takes ownership.
    void addPage(PropertyPage* page, const QString& title);
    bool hasPage(const PropertyPage* page) const;
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    int activeIndex() const { return m_active; }
    PropertyPage* activePage() const;

    // Leaves the current page (a refusal keeps it) and activates the page
    // at position index. False when there is no such page or leaving failed.
    bool setActivePage(int index);

    // Keeps room for the largest page, including pages added later, as far
    // as the screen allows; beyond that the pages scroll.
    void reservePageSize(const QSize& size);

    QTabBar* tabBar() const { return m_tabs; }
    PageScrollArea* pageArea() const { return m_scroller; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

  public slots:
    // "Save and Exit": leave the current page, then apply.
    void accept() override;
    // "Exit", Escape, close box: the current page decides.
    void reject() override;

  protected:
    // Shows the first page when the window opens.
    void showEvent(QShowEvent* event) override;
    // Tab and Shift+Tab go round the controls of the window in their order,
    // the tab bar among them.
    bool focusNextPrevChild(bool next) override;

  private:
    void onTabChanged(int index);
    void activate(int index);
    // The page step pages away from the current one, around the ends.
    void stepPage(int step);
    void orderTabStops();

    QTabBar* m_tabs;
    QStackedWidget* m_stack;
    PageScrollArea* m_scroller;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::vector<PropertyPage*> m_pages;
    int m_active = -1;
    bool m_switching = false;
    bool m_fitted = false;
};
