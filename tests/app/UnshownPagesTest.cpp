// The configuration pages' lists are made at start but read their rows only
// when first shown: a page never shown saves nothing of its own, shows what
// a Reload read, and opens whole where the check sends the user.
#include <QHeaderView>
#include <QLabel>
#include <functional>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "ui/ReportList.h"

namespace {

using A = Interaction::Answer;

std::string siteFile(const std::string& papers, const std::string& headers)
{
    return "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-1]\nPrinterAETitle = P\nPrinterAddress = 10.0.0.1\n"
           "PrinterQueue = lp\n[Printer-2]\nPrinterAETitle = Q\nPrinterAddress = 10.0.0.2\nPrinterQueue = lp\n"
           "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n" +
           papers + "[[[HEADER]]]\n[[STANDARD]]\n" + headers +
           "[[[LAYOUTS]]]\n[[STANDARD]]\n[Defaults]\nPageSize = A4\n";
}

const std::string kTwoPapers =
    siteFile("[A4]\nSizeX = 595\nSizeY = 842\n[B5]\nSizeX = 499\nSizeY = 709\n", "[H1]\nIncludeFile = h1.bmp\n");
const std::string kOtherPapers = siteFile("[A4]\nSizeX = 595\nSizeY = 842\n[C1]\nSizeX = 100\nSizeY = 200\n",
                                          "[H2]\nIncludeFile = h2.bmp\n[H3]\nIncludeFile = h3.bmp\n");
const std::string kNoPapers = siteFile("", "[H1]\nIncludeFile = h1.bmp\n");

std::string normalized(const std::string& text)
{
    Configuration c;
    ConfigReader(c).readText(text);
    return formatConfiguration(c);
}

class UnshownPagesTest : public SheetTest {
  protected:
    ReportList* list(const char* name) { return child<ReportList>(*sheet, name); }
    // The first column of every row the list shows.
    std::vector<std::string> names(const char* listName)
    {
        ReportList* shown = list(listName);
        std::vector<std::string> rows;
        for (int row = 0; row < shown->rowCount(); ++row)
            rows.push_back(shown->text(row, 0).toStdString());
        return rows;
    }
};

} // namespace

TEST_F(UnshownPagesTest, APageFirstShownLateShowsTheConfigurationAndASaveKeepsWhatWasLoaded)
{
    using Strings = std::vector<std::string>;
    const struct {
        const char* name;
        std::string file;
        // What the user does after the load, the Paper page not shown yet;
        // ends with the Paper page shown.
        std::function<void(const std::string& path)> act;
        Strings papers, headers;
        std::string saved; // empty: nothing saved
    } rows[] = {
        {"saved while never shown",
         kTwoPapers,
         [this](const std::string&) {
             QString report;
             ui.modalHandlers.push_back([&report](QDialog& dialog) {
                 report = child<QLabel>(dialog, "reportText")->text();
                 dialog.accept();
             });
             ASSERT_TRUE(sheet->save());
             EXPECT_TRUE(report.startsWith(QStringLiteral("Saving status:\tSUCCESS"))) << report.toStdString();
             ASSERT_TRUE(sheet->setActivePage(MainSheet::PaperTab));
         },
         {"A4", "B5"},
         {"H1"},
         normalized(kTwoPapers)},
        {"reloaded before first shown",
         kTwoPapers,
         [this](const std::string& path) {
             writeBytes(path, kOtherPapers);
             ASSERT_TRUE(sheet->reloadFromDisk());
             ASSERT_TRUE(sheet->setActivePage(MainSheet::PaperTab));
         },
         {"A4", "C1"},
         {"H2", "H3"},
         ""},
        {"shown, left, reloaded, shown again",
         kTwoPapers,
         [this](const std::string& path) {
             ASSERT_TRUE(sheet->setActivePage(MainSheet::PaperTab));
             ASSERT_TRUE(sheet->setActivePage(MainSheet::PrinterTab));
             writeBytes(path, kOtherPapers);
             ASSERT_TRUE(sheet->reloadFromDisk());
             ASSERT_TRUE(sheet->setActivePage(MainSheet::PaperTab));
         },
         {"A4", "C1"},
         {"H2", "H3"},
         ""},
        {"opened by the check's No",
         kNoPapers,
         [this](const std::string&) {
             ui.answers.push_back(A::No); // "save and exit without any correction?"
             saveAndExit();
             ASSERT_EQ(sheet->activeIndex(), MainSheet::PaperTab);
             EXPECT_TRUE(sheet->isVisible());
         },
         {},
         {"H1"},
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string path = dir.file("site.cfg");
        writeBytes(path, row.file);
        sheet = std::make_unique<MainSheet>(AppServices{ui, server, diagnostics});
        sheet->show();
        ui.messages.clear();
        startLoad(QString::fromStdString(path));
        ASSERT_EQ(sheet->activeIndex(), MainSheet::PrinterTab);
        EXPECT_EQ(names("printerList"), (Strings{"P", "Q"}));
        // Not yet asked for its rows: the page has not been shown.
        EXPECT_EQ(list("paperList")->model(), nullptr);
        EXPECT_EQ(list("headerList")->model(), nullptr);
        row.act(path);
        if (HasFatalFailure())
            return;
        EXPECT_EQ(names("paperList"), row.papers);
        EXPECT_EQ(names("headerList"), row.headers);
        // Made as a list shown at once is: its widths, headers and sorting.
        EXPECT_EQ(list("headerList")->columnWidth(1), 280);
        EXPECT_EQ(list("paperList")->horizontalHeader()->count(), 10);
        EXPECT_TRUE(list("paperList")->isSortingEnabled());
        EXPECT_EQ(list("paperList")->horizontalHeader()->sortIndicatorSection(), -1);
        if (!row.saved.empty()) {
            EXPECT_EQ(readBytes(path), row.saved);
        }
    }
}
