#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "PageFixture.h"
#include "TestSupport.h"
#include "pages/Page1Printer.h"
#include "pages/PrinterDialog.h"
#include "ui/ReportList.h"

namespace {

class PrinterPageTest : public PageTest<CPage1Printer> {
  protected:
    void SetUp() override
    {
        for (const char* title : {"P1", "P2", "P3"})
            AddPrinter(title);
        Open();
        list = Child<ReportList>(*page, "printerList");
    }

    void AddPrinter(const std::string& title)
    {
        sPrinter p;
        p.PrinterAETitle = title;
        p.Description = "d-" + title;
        p.PrinterAddress = "10.0.0." + std::to_string(Config().Printers.GetCount() + 1);
        p.PrinterQueue = "q-" + title;
        Config().Printers.Add(p);
    }

    QStringList AeTitles() const
    {
        QStringList titles;
        for (int row = 0; row < list->rowCount(); ++row)
            titles << list->text(row, 0);
        return titles;
    }

    void RightClick(QPoint global, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse)
    {
        QContextMenuEvent event(reason, page->mapFromGlobal(global), global);
        QApplication::sendEvent(page, &event);
    }
    void RightClickOnList() { RightClick(list->mapToGlobal(list->rect().center())); }

    // Fills the printer dialog's four fields and presses "Save".
    static ScriptedInteraction::ModalHandler FillAndSave(const QString& aeTitle)
    {
        return [aeTitle](QDialog& d) {
            SetText(d, "description", QStringLiteral("new"));
            SetText(d, "aeTitle", aeTitle);
            SetText(d, "address", QStringLiteral("10.9.9.9"));
            SetText(d, "queue", QStringLiteral("raw"));
            Click(d, "saveButton");
        };
    }

    ReportList* list = nullptr;
};

} // namespace

TEST_F(PrinterPageTest, ListShowsTheAeTitleFirstInTheGivenColumns)
{
    ASSERT_EQ(list->columnCount(), 4);
    const std::pair<const char*, int> columns[] = {
        {"AETitle", 100}, {"Description", 150}, {"Address", 100}, {"Queue", 80}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->headerText(i), columns[i].first);
        EXPECT_EQ(list->columnWidth(i), columns[i].second);
    }
    EXPECT_EQ(AeTitles(), (QStringList{"P1", "P2", "P3"}));
    EXPECT_EQ(list->text(0, 1), "d-P1");
    EXPECT_EQ(list->text(0, 2), "10.0.0.1");
    EXPECT_EQ(list->text(0, 3), "q-P1");
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(list->showGrid());
}

TEST_F(PrinterPageTest, AddRefusesAnExactDuplicateButNotAnotherCase)
{
    ui.modalHandlers.push_back(FillAndSave(QStringLiteral("P2")));
    Click(*page, "addButton");
    EXPECT_EQ(ui.lastMessage().text, "Printer already exists");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(Config().Printers.GetCount(), 3);

    ui.modalHandlers.push_back(FillAndSave(QStringLiteral("p2")));
    Click(*page, "addButton");
    EXPECT_EQ(AeTitles(), (QStringList{"P1", "P2", "P3", "p2"}));
    EXPECT_EQ(Config().Printers.GetAt(3)->PrinterQueue, "raw");
}

TEST_F(PrinterPageTest, EditChangesTheStoredRecordAndMayDuplicateATitle)
{
    list->selectRows({2});
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(Child<QLineEdit>(d, "aeTitle")->text(), "P3");
        EXPECT_EQ(d.windowTitle(), "Add/Edit Printer");
        SetText(d, "aeTitle", QStringLiteral("P1"));
        Click(d, "saveButton");
    });
    Click(*page, "editButton");
    EXPECT_EQ(AeTitles(), (QStringList{"P1", "P2", "P1"}));
    EXPECT_TRUE(ui.messages.empty());

    // Double click with two rows selected does nothing.
    list->selectRows({0, 1});
    emit list->listDoubleClicked();
    EXPECT_EQ(ui.modalTitles.size(), 1u); // the one edit
}

TEST_F(PrinterPageTest, DeleteRemovesExactlyTheSelectedRows)
{
    list->selectRows({0, 2});
    Click(*page, "deleteButton");
    EXPECT_EQ(AeTitles(), QStringList{"P2"});
    EXPECT_EQ(Config().Printers.GetCount(), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PrinterPageTest, ContextMenuGreysByTheSelectionAndNeedsAMousePointInTheList)
{
    list->clearSelection();
    RightClickOnList();
    ASSERT_EQ(ui.menus.size(), 1u);
    EXPECT_EQ(ui.menus[0].objectName, "PrinterMenu");
    EXPECT_EQ(ui.menus[0].enabled, QStringList{"&Add"});
    EXPECT_EQ(ui.menus[0].disabled, (QStringList{"&Edit", "&Delete", "&Test Printer"}));

    list->selectRows({1});
    RightClickOnList();
    EXPECT_EQ(ui.menus[1].enabled,
              (QStringList{"&Add", "&Edit", "&Delete", "&Test Printer", "&Network Ping", "Send Test Page"}));

    list->selectRows({0, 1});
    RightClickOnList();
    EXPECT_EQ(ui.menus[2].enabled, (QStringList{"&Add", "&Delete"}));
    EXPECT_EQ(ui.menus[2].disabled, (QStringList{"&Edit", "&Test Printer"}));

    RightClick(list->mapToGlobal(list->rect().center()), QContextMenuEvent::Keyboard);
    RightClick(page->mapToGlobal(QPoint(page->width() - 2, page->height() - 2)));
    EXPECT_EQ(ui.menus.size(), 3u);
}

TEST_F(PrinterPageTest, MenuRunsThePingAndTheTestPageOnTheSelectedRow)
{
    list->selectRows({1});
    ui.menuChoices.push_back(QStringLiteral("&Network Ping"));
    RightClickOnList();
    EXPECT_EQ(diagnostics.pinged, std::vector<std::string>{"10.0.0.2"});
    EXPECT_EQ(ui.lastMessage().text, "SUCCESS!\n\n'10.0.0.2' successfully pinged.\nResponse time was 4ms.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Information);

    diagnostics.reachable = false;
    ui.menuChoices.push_back(QStringLiteral("&Network Ping"));
    RightClickOnList();
    EXPECT_EQ(ui.lastMessage().text, "FAILED!\n\nPing to '10.0.0.2' failed.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);

    ui.menuChoices.push_back(QStringLiteral("Send Test Page"));
    RightClickOnList();
    EXPECT_EQ(ui.lastMessage().text,
              "Printing failed.\n\nTest page file '/nonexistent-quarvel-dir/testpage.ps' not found.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
    EXPECT_TRUE(diagnostics.pagesSent.empty());

    // With the page at hand it goes to the selected row's own printer and
    // queue, whatever the list shows.
    TempDir dir;
    WriteBytes(dir.file("testpage.ps"), "%!PS\n");
    diagnostics.directory = dir.path();
    diagnostics.reachable = true;
    Config().Printers.GetAt(1)->PrinterQueue = "changed behind the list";
    ui.menuChoices.push_back(QStringLiteral("Send Test Page"));
    RightClickOnList();
    EXPECT_EQ(diagnostics.pagesSent,
              std::vector<std::string>{"10.0.0.2 changed behind the list " + dir.file("testpage.ps")});
}

TEST_F(PrinterPageTest, FlagsComeFromTheRecordOnActivationAndGoBackOnLeaving)
{
    Leave();
    Config().Asynchronous = false; // as a loaded file would set them
    Config().SuppressPrinting = true;
    const int resets = host.checkResets;
    Activate();
    EXPECT_EQ(host.checkResets, resets + 1); // every activation sends the check round again
    EXPECT_TRUE(Child<QCheckBox>(*page, "suppressPrinting")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(*page, "deleteJobFile")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*page, "asynchronous")->isChecked());
    EXPECT_EQ(Child<QCheckBox>(*page, "suppressPrinting")->text(),
              " Suppress printing - Do not send print job to printer but create output file");

    Child<QCheckBox>(*page, "asynchronous")->click();
    Child<QCheckBox>(*page, "deleteJobFile")->click();
    ASSERT_TRUE(Leave());
    EXPECT_TRUE(Config().Asynchronous);
    EXPECT_FALSE(Config().DeleteJobFile);
    EXPECT_TRUE(Config().SuppressPrinting);
}

namespace {

class PrinterDialogTest : public ::testing::Test {
  protected:
    void Open(const sPrinter& printer)
    {
        dialog = std::make_unique<CPrinterDialog>(ui, diagnostics);
        dialog->SetRecord(printer);
        dialog->show();
    }
    void TearDown() override { dialog.reset(); }
    QCheckBox* Box(const char* name) { return Child<QCheckBox>(*dialog, name); }
    QWidget* Widget(const char* name) { return Child<QWidget>(*dialog, name); }

    ScriptedInteraction ui;
    FakeDiagnostics diagnostics;
    std::unique_ptr<CPrinterDialog> dialog;
};

sPrinter Filled()
{
    sPrinter p;
    p.Description = "d";
    p.PrinterAETitle = "AE";
    p.PrinterAddress = "10.0.0.1";
    p.PrinterQueue = "q";
    return p;
}

} // namespace

TEST_F(PrinterDialogTest, ColorExcludesRedGreenAndBlueAndKeepsTheirPaths)
{
    sPrinter p = Filled();
    p.UseColorGraduation = true;
    p.ColorGraduationFile = "color.txt";
    p.UseRedGraduation = true;
    p.RedGraduationFile = "red.txt";
    p.GreenGraduationFile = "green.txt";
    Open(p);
    for (const char* name : {"redCheck", "greenCheck", "blueCheck"}) {
        EXPECT_FALSE(Box(name)->isChecked()) << name;
        EXPECT_FALSE(Box(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(Widget("redFile")->isEnabled());
    EXPECT_FALSE(Widget("redBrowse")->isEnabled());
    EXPECT_TRUE(Widget("colorFile")->isEnabled());
    EXPECT_FALSE(Widget("grayFile")->isEnabled());
    EXPECT_EQ(Child<QPushButton>(*dialog, "saveButton")->text(), "Save");

    Click(*dialog, "saveButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const sPrinter& out = dialog->Record();
    EXPECT_TRUE(out.UseColorGraduation);
    EXPECT_FALSE(out.UseRedGraduation);
    EXPECT_EQ(out.RedGraduationFile, "red.txt");
    EXPECT_EQ(out.GreenGraduationFile, "green.txt");

    // Without color the three come back, each file enabled when checked.
    Box("colorCheck")->click();
    EXPECT_TRUE(Box("redCheck")->isEnabled());
    EXPECT_FALSE(Widget("colorFile")->isEnabled());
    Box("greenCheck")->click();
    EXPECT_TRUE(Widget("greenFile")->isEnabled());
    EXPECT_FALSE(Widget("blueFile")->isEnabled());
    // Gray is independent of the other four.
    Box("grayCheck")->click();
    EXPECT_TRUE(Widget("grayFile")->isEnabled());
    EXPECT_TRUE(Box("greenCheck")->isChecked());
}

TEST_F(PrinterDialogTest, SaveChecksInOrderWithoutTrimming)
{
    Open(sPrinter{});
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Fill out all fields.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);

    SetText(*dialog, "description", QStringLiteral(" "));
    SetText(*dialog, "aeTitle", QStringLiteral("AE"));
    SetText(*dialog, "address", QStringLiteral("h"));
    SetText(*dialog, "queue", QStringLiteral("q"));
    Box("grayCheck")->click();
    Box("colorCheck")->click();
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Gray graduation file is empty.");
    SetText(*dialog, "grayFile", QStringLiteral("g"));
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Color graduation file is empty.");

    Box("colorCheck")->click();
    Box("blueCheck")->click();
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Blue graduation file is empty.");
    Box("redCheck")->click();
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Red graduation file is empty.");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    SetText(*dialog, "redFile", QStringLiteral("r"));
    SetText(*dialog, "blueFile", QStringLiteral("b"));
    Click(*dialog, "saveButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Record().Description, " ");
}

TEST_F(PrinterDialogTest, PingAndBrowseKeepWhatWasTyped)
{
    Open(Filled());
    SetText(*dialog, "address", QStringLiteral("10.1.1.1"));
    SetText(*dialog, "queue", QStringLiteral("typed"));
    Click(*dialog, "pingButton");
    EXPECT_EQ(diagnostics.pinged, std::vector<std::string>{"10.1.1.1"});
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Information);
    EXPECT_EQ(Child<QLineEdit>(*dialog, "queue")->text(), "typed");

    Box("grayCheck")->click();
    ui.openResults.push_back(QStringLiteral("/srv/grad/gray.txt"));
    Click(*dialog, "grayBrowse");
    EXPECT_EQ(ui.openSpecs.back().filter, "All Files (*.*)");
    EXPECT_EQ(ui.openSpecs.back().defaultSuffix, "");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "grayFile")->text(), "/srv/grad/gray.txt");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "queue")->text(), "typed");
}

TEST_F(PrinterDialogTest, TooltipsHangOnTheLabelsAndTheirOwnControls)
{
    Open(Filled());
    EXPECT_TRUE(Widget("aeTitleLabel")->toolTip().startsWith("Application Entity (AE) Title"));
    EXPECT_TRUE(Widget("aeTitle")->toolTip().isEmpty());
    EXPECT_EQ(Widget("pingButton")->toolTip(), "Verify that the printer is reachable via network (uses network ping).");
    EXPECT_EQ(Widget("colorCheck")->toolTip(),
              "Apply color graduation (same to red, green and blue; use Gravik to create graduation files).");
    EXPECT_EQ(Child<QLabel>(*dialog, "note")->text(), "NOTE:\tMake sure your printer supports PostScript!!!");
}
