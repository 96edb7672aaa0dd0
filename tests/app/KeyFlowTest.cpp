// The sheet driven by real key presses: where Tab goes, what Enter in a
// list's filter does, and that the row with the focus is the one acted on.
#include <QApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "WindowWalk.h"
#include "config/ConfigFormatter.h"
#include "ui/ReportList.h"

namespace {

class KeyFlowTest : public SheetTest {
  protected:
    void activate()
    {
        sheet->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    }
    // The controls the focus visits on key presses from the tab bar until it
    // is back there (or a round far longer than the window's).
    std::vector<QWidget*> tabRound(Qt::Key key)
    {
        sheet->tabBar()->setFocus(Qt::TabFocusReason);
        std::vector<QWidget*> visited{QApplication::focusWidget()};
        for (int i = 0; i < 80; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            if (QApplication::focusWidget() == visited.front())
                return visited;
            visited.push_back(QApplication::focusWidget());
        }
        return visited;
    }
    void loadPrinters(const std::vector<const char*>& titles)
    {
        TempDir dir;
        std::string text = "[[[PRINTER]]]\n[[SETTINGS]]\n";
        for (std::size_t i = 0; i < titles.size(); ++i)
            text += "[Printer-" + std::to_string(i + 1) + "]\nPrinterAETitle = " + titles[i] + "\n";
        writeBytes(dir.file("site.cfg"), text);
        startLoad(QString::fromStdString(dir.file("site.cfg")));
        ui.messages.clear(); // the load's warnings of printers without an address
    }
    ReportList* printerList() { return child<ReportList>(*sheet, "printerList"); }
    QLineEdit* printerFilter() { return child<QLineEdit>(*sheet, "printerFilter"); }
};

struct TabRow {
    int page;
    // Controls the round must pass in this order (others may lie between).
    std::vector<const char*> passes;
};

const TabRow kTabRows[] = {
    {MainSheet::StartTab, {"sheetTabs", "wizardButton", "reviewButton", "sheetOkButton", "sheetCancelButton"}},
    {MainSheet::PrinterTab,
     {"sheetTabs", "printerFilter", "printerList", "addButton", "deleteButton", "suppressPrinting", "asynchronous",
      "sheetOkButton", "sheetCancelButton"}},
    {MainSheet::PaperTab,
     {"sheetTabs", "paperFilter", "paperList", "addPaperButton", "headerList", "deleteHeaderButton", "sheetOkButton",
      "sheetCancelButton"}},
    {MainSheet::DicomTab,
     {"sheetTabs", "printerName", "acceptGrayscale", "port", "sheetOkButton", "sheetCancelButton"}},
    {MainSheet::AdditionalSettingsTab, {"sheetTabs", "fontSize", "sheetOkButton", "sheetCancelButton"}},
};

// Whether names holds every one of passes, in that order.
bool passesInOrder(const std::vector<QWidget*>& round, const std::vector<const char*>& passes)
{
    std::size_t next = 0;
    for (const QWidget* widget : round)
        if (next < passes.size() && widget->objectName() == QLatin1String(passes[next]))
            ++next;
    return next == passes.size();
}

} // namespace

TEST_F(KeyFlowTest, TabAndShiftTabGoRoundEveryControlOfThePageInReadingOrder)
{
    startNew();
    activate();
    for (const TabRow& row : kTabRows) {
        ASSERT_TRUE(sheet->setActivePage(row.page));
        SCOPED_TRACE(sheet->tabBar()->tabText(row.page).toStdString());
        const std::vector<QWidget*> forward = tabRound(Qt::Key_Tab);
        // Every enabled control of the page and the window, each once, as
        // the window's reading order has them.
        std::vector<QWidget*> expected = tabChainFrom(*sheet, sheet->tabBar());
        std::erase_if(expected, [](const QWidget* w) { return !w->isEnabled(); });
        EXPECT_EQ(names(forward), names(expected));
        EXPECT_TRUE(passesInOrder(forward, row.passes)) << names(forward);
        std::vector<QWidget*> backward = tabRound(Qt::Key_Backtab);
        std::reverse(backward.begin() + 1, backward.end());
        EXPECT_EQ(names(backward), names(forward));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(KeyFlowTest, EnterInTheFilterGoesToTheFirstMatchAndWritesNothing)
{
    const struct {
        const char* filter;
        const char* focused; // the object then focused
        const char* row;     // the title of the row then current and selected; "" for none
    } rows[] = {
        {"be", "printerList", "BETA"},
        {"a", "printerList", "ALPHA"},
        {"nothing", "printerFilter", ""},
    };
    loadPrinters({"ALPHA", "BETA", "GAMMA"});
    activate();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.filter);
        printerFilter()->setFocus();
        printerFilter()->clear();
        QTest::keyClicks(printerFilter(), QString::fromLatin1(row.filter));
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            printerFilter()->setFocus();
            QTest::keyClick(printerFilter(), key);
            EXPECT_EQ(QApplication::focusWidget()->objectName(), row.focused);
            const std::vector<int> selected = printerList()->selectedRowsAscending();
            EXPECT_EQ(selected.empty() ? std::string() : config().Printers.at(selected.front())->PrinterAETitle.str(),
                      row.row);
        }
    }
    // Nothing was saved: no question, no save dialog, the window open.
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.saveSpecs.empty());
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(KeyFlowTest, TheFocusedRowIsSelectedSoDeleteAndEnterActOnIt)
{
    loadPrinters({"ALPHA", "BETA", "GAMMA"});
    activate();
    printerFilter()->setFocus();
    QTest::keyClicks(printerFilter(), QStringLiteral("gamma"));
    QTest::keyClick(printerFilter(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), printerList());
    EXPECT_EQ(printerList()->selectedRowsAscending(), std::vector<int>{2});
    QTest::keyClick(printerList(), Qt::Key_Delete);
    EXPECT_EQ(config().Printers.size(), 2);
    EXPECT_EQ(config().Printers.at(1)->PrinterAETitle, "BETA");

    // With all rows shown again, the focus comes back to the first row and
    // each Delete takes the row then in focus.
    printerFilter()->clear();
    printerFilter()->setFocus();
    QTest::keyClick(printerFilter(), Qt::Key_Tab);
    EXPECT_EQ(printerList()->selectedRowsAscending(), std::vector<int>{0});
    QTest::keyClick(printerList(), Qt::Key_Delete);
    EXPECT_EQ(printerList()->selectedRowsAscending(), std::vector<int>{0});
    QTest::keyClick(printerList(), Qt::Key_Delete);
    EXPECT_EQ(config().Printers.size(), 0);
    EXPECT_TRUE(ui.messages.empty());
}
