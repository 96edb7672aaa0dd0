#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "PageFixture.h"
#include "TestSupport.h"
#include "pages/PrinterDialog.h"
#include "pages/PrinterPage.h"
#include "ui/ReportList.h"
#include "ui/UndoBar.h"

namespace {

class PrinterPageTest : public PageTest<PrinterPage> {
  protected:
    void SetUp() override
    {
        for (const char* title : {"P1", "P2", "P3"})
            addPrinter(title);
        open();
        list = child<ReportList>(*page, "printerList");
    }

    void addPrinter(const std::string& title)
    {
        PrinterRecord p;
        p.PrinterAETitle = title;
        p.Description = "d-" + title;
        p.PrinterAddress = "10.0.0." + std::to_string(config().Printers.size() + 1);
        p.PrinterQueue = "q-" + title;
        config().Printers.add(p);
    }

    QStringList aeTitles() const
    {
        QStringList titles;
        for (int row = 0; row < list->rowCount(); ++row)
            titles << list->text(row, 0);
        return titles;
    }

    void rightClick(QPoint global, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse)
    {
        QContextMenuEvent event(reason, page->mapFromGlobal(global), global);
        QApplication::sendEvent(page, &event);
    }
    void rightClickOnList() { rightClick(list->mapToGlobal(list->rect().center())); }

    // Fills the printer dialog's four fields and presses "Save".
    static ScriptedInteraction::ModalHandler fillAndSave(const QString& aeTitle)
    {
        return [aeTitle](QDialog& d) {
            setText(d, "description", QStringLiteral("new"));
            setText(d, "aeTitle", aeTitle);
            setText(d, "address", QStringLiteral("10.9.9.9"));
            setText(d, "queue", QStringLiteral("raw"));
            click(d, "saveButton");
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
    EXPECT_EQ(aeTitles(), (QStringList{"P1", "P2", "P3"}));
    EXPECT_EQ(list->text(0, 1), "d-P1");
    EXPECT_EQ(list->text(0, 2), "10.0.0.1");
    EXPECT_EQ(list->text(0, 3), "q-P1");
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(list->showGrid());
}

TEST_F(PrinterPageTest, AddRefusesAnExactDuplicateButNotAnotherCase)
{
    ui.modalHandlers.push_back(fillAndSave(QStringLiteral("P2")));
    click(*page, "addButton");
    EXPECT_EQ(ui.lastMessage().text, "Printer already exists");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(config().Printers.size(), 3);

    ui.modalHandlers.push_back(fillAndSave(QStringLiteral("p2")));
    click(*page, "addButton");
    EXPECT_EQ(aeTitles(), (QStringList{"P1", "P2", "P3", "p2"}));
    EXPECT_EQ(config().Printers.at(3)->PrinterQueue, "raw");
}

TEST_F(PrinterPageTest, EditChangesTheStoredRecordButRefusesAnotherPrintersTitle)
{
    list->selectRows({2});
    ui.modalHandlers.push_back([this](QDialog& d) {
        EXPECT_EQ(child<QLineEdit>(d, "aeTitle")->text(), "P3");
        EXPECT_EQ(d.windowTitle(), "Add/Edit Printer");
        setText(d, "aeTitle", QStringLiteral("P1"));
        click(d, "saveButton");
        EXPECT_EQ(ui.lastMessage().text, "Printer already exists");
        setText(d, "aeTitle", QStringLiteral("P4"));
        click(d, "saveButton");
    });
    click(*page, "editButton");
    EXPECT_EQ(aeTitles(), (QStringList{"P1", "P2", "P4"}));
    EXPECT_EQ(ui.messages.size(), 1u);

    // Double click with two rows selected does nothing.
    list->selectRows({0, 1});
    emit list->listDoubleClicked();
    EXPECT_EQ(ui.modalTitles.size(), 1u); // the one edit
}

TEST_F(PrinterPageTest, DeleteRemovesExactlyTheSelectedRows)
{
    list->selectRows({0, 2});
    click(*page, "deleteButton");
    EXPECT_EQ(aeTitles(), QStringList{"P2"});
    EXPECT_EQ(config().Printers.size(), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PrinterPageTest, ContextMenuGreysByTheSelectionAndNeedsAMousePointInTheList)
{
    list->clearSelection();
    rightClickOnList();
    ASSERT_EQ(ui.menus.size(), 1u);
    EXPECT_EQ(ui.menus[0].objectName, "PrinterMenu");
    EXPECT_EQ(ui.menus[0].enabled, QStringList{"&Add"});
    EXPECT_EQ(ui.menus[0].disabled, (QStringList{"&Edit", "&Delete", "&Test Printer"}));

    list->selectRows({1});
    rightClickOnList();
    QStringList tests{"&Network Ping", "Send Te&st Page"};
#ifdef QUARVEL_DICOM
    tests << "Send DICOM &Test Film";
#endif
    EXPECT_EQ(ui.menus[1].enabled, (QStringList{"&Add", "&Edit", "&Delete", "&Test Printer"} + tests));

    list->selectRows({0, 1});
    rightClickOnList();
    EXPECT_EQ(ui.menus[2].enabled, (QStringList{"&Add", "&Delete"}));
    EXPECT_EQ(ui.menus[2].disabled, (QStringList{"&Edit", "&Test Printer"}));

    rightClick(list->mapToGlobal(list->rect().center()), QContextMenuEvent::Keyboard);
    rightClick(page->mapToGlobal(QPoint(page->width() - 2, page->height() - 2)));
    EXPECT_EQ(ui.menus.size(), 3u);
}

TEST_F(PrinterPageTest, MenuRunsThePingAndTheTestPageOnTheSelectedRow)
{
#ifdef _WIN32
    GTEST_SKIP() << "the expected paths join folder and file with '/', where Windows joins them with '\\'";
#endif
    list->selectRows({1});
    ui.menuChoices.push_back(QStringLiteral("&Network Ping"));
    rightClickOnList();
    EXPECT_EQ(diagnostics.pinged, std::vector<std::string>{"10.0.0.2"});
    EXPECT_EQ(ui.lastMessage().text, "SUCCESS!\n\n'10.0.0.2' successfully pinged.\nResponse time was 4ms.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Information);

    diagnostics.reachable = false;
    ui.menuChoices.push_back(QStringLiteral("&Network Ping"));
    rightClickOnList();
    EXPECT_EQ(ui.lastMessage().text, "FAILED!\n\nPing to '10.0.0.2' failed.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);

    ui.menuChoices.push_back(QStringLiteral("Send Te&st Page"));
    rightClickOnList();
    EXPECT_EQ(ui.lastMessage().text,
              "Printing failed.\n\nTest page file '/nonexistent-quarvel-dir/testpage.ps' not found.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
    EXPECT_TRUE(diagnostics.pagesSent.empty());

    // With the page at hand it goes to the selected row's own printer and
    // queue, whatever the list shows.
    TempDir dir;
    writeBytes(dir.file("testpage.ps"), "%!PS\n");
    diagnostics.directory = dir.path();
    diagnostics.reachable = true;
    config().Printers.at(1)->PrinterQueue = "changed behind the list";
    ui.menuChoices.push_back(QStringLiteral("Send Te&st Page"));
    rightClickOnList();
    EXPECT_EQ(diagnostics.pagesSent,
              std::vector<std::string>{"10.0.0.2 changed behind the list " + dir.file("testpage.ps")});
}

TEST_F(PrinterPageTest, FlagsComeFromTheRecordOnActivationAndGoBackOnLeaving)
{
    leave();
    config().Asynchronous = false; // as a loaded file would set them
    config().SuppressPrinting = true;
    const int resets = host.checkResets;
    activate();
    EXPECT_EQ(host.checkResets, resets + 1); // every activation sends the check round again
    EXPECT_TRUE(child<QCheckBox>(*page, "suppressPrinting")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*page, "deleteJobFile")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(*page, "asynchronous")->isChecked());
    EXPECT_EQ(caption(child<QCheckBox>(*page, "suppressPrinting")->text()),
              " Suppress printing - Do not send print job to printer but create output file");

    child<QCheckBox>(*page, "asynchronous")->click();
    child<QCheckBox>(*page, "deleteJobFile")->click();
    ASSERT_TRUE(leave());
    EXPECT_TRUE(config().Asynchronous);
    EXPECT_FALSE(config().DeleteJobFile);
    EXPECT_TRUE(config().SuppressPrinting);
}

namespace {

class PrinterDialogTest : public ::testing::Test {
  protected:
    void open(const PrinterRecord& printer)
    {
        dialog = std::make_unique<PrinterDialog>(ui, diagnostics, TextEncoding::Windows1252);
        dialog->setRecord(printer);
        dialog->show();
    }
    void TearDown() override { dialog.reset(); }
    QCheckBox* box(const char* name) { return child<QCheckBox>(*dialog, name); }
    QWidget* widget(const char* name) { return child<QWidget>(*dialog, name); }

    ScriptedInteraction ui;
    FakeDiagnostics diagnostics;
    std::unique_ptr<PrinterDialog> dialog;
};

PrinterRecord filled()
{
    PrinterRecord p;
    p.Description = "d";
    p.PrinterAETitle = "AE";
    p.PrinterAddress = "10.0.0.1";
    p.PrinterQueue = "q";
    return p;
}

} // namespace

TEST_F(PrinterDialogTest, ColorExcludesRedGreenAndBlueAndKeepsTheirPaths)
{
    PrinterRecord p = filled();
    p.UseColorGraduation = true;
    p.ColorGraduationFile = "color.txt";
    p.UseRedGraduation = true;
    p.RedGraduationFile = "red.txt";
    p.GreenGraduationFile = "green.txt";
    open(p);
    for (const char* name : {"redCheck", "greenCheck", "blueCheck"}) {
        EXPECT_FALSE(box(name)->isChecked()) << name;
        EXPECT_FALSE(box(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(widget("redFile")->isEnabled());
    EXPECT_FALSE(widget("redBrowse")->isEnabled());
    EXPECT_TRUE(widget("colorFile")->isEnabled());
    EXPECT_FALSE(widget("grayFile")->isEnabled());
    EXPECT_EQ(caption(child<QPushButton>(*dialog, "saveButton")->text()), "Save");

    click(*dialog, "saveButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const PrinterRecord& out = dialog->record();
    EXPECT_TRUE(out.UseColorGraduation);
    EXPECT_FALSE(out.UseRedGraduation);
    EXPECT_EQ(out.RedGraduationFile, "red.txt");
    EXPECT_EQ(out.GreenGraduationFile, "green.txt");

    // Without color the three come back, each file enabled when checked.
    box("colorCheck")->click();
    EXPECT_TRUE(box("redCheck")->isEnabled());
    EXPECT_FALSE(widget("colorFile")->isEnabled());
    box("greenCheck")->click();
    EXPECT_TRUE(widget("greenFile")->isEnabled());
    EXPECT_FALSE(widget("blueFile")->isEnabled());
    // Gray is independent of the other four.
    box("grayCheck")->click();
    EXPECT_TRUE(widget("grayFile")->isEnabled());
    EXPECT_TRUE(box("greenCheck")->isChecked());
}

TEST_F(PrinterDialogTest, SaveChecksInOrderWithoutTrimming)
{
    open(PrinterRecord{});
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Fill out all fields.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);

    setText(*dialog, "description", QStringLiteral(" "));
    setText(*dialog, "aeTitle", QStringLiteral("THIS_AE_TITLE_IS_TOO_LONG"));
    setText(*dialog, "address", QStringLiteral("h"));
    setText(*dialog, "queue", QStringLiteral("q"));
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "AE title 'THIS_AE_TITLE_IS_TOO_LONG' has 25 characters; DICOM allows 16.");
    setText(*dialog, "aeTitle", QStringLiteral("AE"));
    box("grayCheck")->click();
    box("colorCheck")->click();
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Gray graduation file is empty.");
    setText(*dialog, "grayFile", QStringLiteral("g"));
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Color graduation file is empty.");

    box("colorCheck")->click();
    box("blueCheck")->click();
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Blue graduation file is empty.");
    box("redCheck")->click();
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Red graduation file is empty.");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    setText(*dialog, "redFile", QStringLiteral("r"));
    setText(*dialog, "blueFile", QStringLiteral("b"));
    click(*dialog, "saveButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->record().Description, " ");
}

TEST_F(PrinterDialogTest, PingAndBrowseKeepWhatWasTyped)
{
    open(filled());
    setText(*dialog, "address", QStringLiteral("10.1.1.1"));
    setText(*dialog, "queue", QStringLiteral("typed"));
    click(*dialog, "pingButton");
    EXPECT_EQ(diagnostics.pinged, std::vector<std::string>{"10.1.1.1"});
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Information);
    EXPECT_EQ(child<QLineEdit>(*dialog, "queue")->text(), "typed");

    box("grayCheck")->click();
    ui.openResults.push_back(QStringLiteral("/srv/grad/gray.txt"));
    click(*dialog, "grayBrowse");
    EXPECT_EQ(ui.openSpecs.back().filter, "All Files (*.*)");
    EXPECT_EQ(ui.openSpecs.back().defaultSuffix, "");
    EXPECT_EQ(child<QLineEdit>(*dialog, "grayFile")->text(), "/srv/grad/gray.txt");
    EXPECT_EQ(child<QLineEdit>(*dialog, "queue")->text(), "typed");
}

TEST_F(PrinterDialogTest, TooltipsHangOnTheLabelsAndTheirOwnControls)
{
    open(filled());
    EXPECT_TRUE(widget("aeTitleLabel")->toolTip().startsWith("Application Entity (AE) Title"));
    EXPECT_TRUE(widget("aeTitle")->toolTip().isEmpty());
    EXPECT_EQ(widget("pingButton")->toolTip(), "Verify that the printer is reachable via network (uses network ping).");
    EXPECT_EQ(widget("colorCheck")->toolTip(),
              "Apply color graduation (same to red, green and blue; use Gravik to create graduation files).");
    EXPECT_EQ(child<QLabel>(*dialog, "note")->text(), "NOTE:\tMake sure your printer supports PostScript!!!");
}

namespace {

struct ListKeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::size_t menus, dialogs;
    int deleted;
    bool leavesTheList;
};

const ListKeyCase kListKeys[] = {
    {"Return edits the current row", Qt::Key_Return, Qt::NoModifier, 0, 1, 0, false},
    {"Enter edits the current row", Qt::Key_Enter, Qt::KeypadModifier, 0, 1, 0, false},
    {"Delete deletes the selection", Qt::Key_Delete, Qt::NoModifier, 0, 0, 1, false},
    {"Shift+F10 opens the menu", Qt::Key_F10, Qt::ShiftModifier, 1, 0, 0, false},
    {"the Menu key opens the menu", Qt::Key_Menu, Qt::NoModifier, 1, 0, 0, false},
    {"Tab leaves the list", Qt::Key_Tab, Qt::NoModifier, 0, 0, 0, true},
    {"Shift+Tab leaves the list", Qt::Key_Backtab, Qt::ShiftModifier, 0, 0, 0, true},
};

struct UndoCase {
    const char* name;
    std::vector<int> rows; // deleted
    bool byKey;            // Ctrl+Z on the list, else the bar's button
    const char* text;
};

const UndoCase kUndoCases[] = {
    {"one printer, by the button", {1}, false, "1 printer deleted."},
    {"the first and the last, by Ctrl+Z", {0, 2}, true, "2 printers deleted."},
};

} // namespace

TEST_F(PrinterPageTest, KeysOnTheListEditDeleteOpenTheMenuAndLeave)
{
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    for (const ListKeyCase& tc : kListKeys) {
        SCOPED_TRACE(tc.name);
        list->setFocus();
        list->selectRows({1});
        const int printers = config().Printers.size();
        const std::size_t menus = ui.menus.size();
        const qsizetype dialogs = ui.modalTitles.size();
        for (std::size_t i = 0; i < tc.dialogs; ++i)
            ui.modalHandlers.push_back([](QDialog& d) { d.reject(); });
        QTest::keyClick(list, tc.key, tc.modifiers);
        EXPECT_EQ(ui.menus.size() - menus, tc.menus);
        EXPECT_EQ(static_cast<std::size_t>(ui.modalTitles.size() - dialogs), tc.dialogs);
        EXPECT_EQ(config().Printers.size(), printers - tc.deleted);
        EXPECT_EQ(QApplication::focusWidget() != list, tc.leavesTheList);
        EXPECT_EQ(host.applies, 0) << "the default button fired";
    }
}

TEST_F(PrinterPageTest, DeletedPrintersComeBackAtTheirPositionsUntilTheNextChange)
{
    auto* bar = child<UndoBar>(*page, "printerUndo");
    const QStringList all = aeTitles();
    for (const UndoCase& tc : kUndoCases) {
        SCOPED_TRACE(tc.name);
        list->selectRows(tc.rows);
        page->onDelete();
        EXPECT_EQ(aeTitles().size(), all.size() - static_cast<qsizetype>(tc.rows.size()));
        EXPECT_EQ(bar->text(), tc.text);
        if (tc.byKey)
            QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        else
            click(*bar, "undoButton");
        EXPECT_EQ(aeTitles(), all);
        EXPECT_TRUE(bar->text().isEmpty());
    }
    // Another step ends the bar's offer; the deletion stays in the history.
    list->selectRows({0});
    page->onDelete();
    ui.modalHandlers.push_back([](QDialog& d) { d.reject(); });
    page->onAdd();
    EXPECT_TRUE(bar->text().isEmpty());
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(aeTitles(), all);
}

TEST_F(PrinterPageTest, SortingAndFilteringAreAViewOfTheListInFileOrder)
{
    list->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
    EXPECT_EQ(aeTitles(), (QStringList{"P3", "P2", "P1"}));
    list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(list->selectedRowsAscending(), std::vector<int>{2}); // the record's position
    list->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    EXPECT_EQ(aeTitles(), (QStringList{"P1", "P2", "P3"}));

    const std::pair<const char*, QStringList> filters[] = {
        {"Q-p2", {"P2"}}, {"10.0.0.", {"P1", "P2", "P3"}}, {"d-P3", {"P3"}}, {"nowhere", {}}, {"", {"P1", "P2", "P3"}}};
    for (const auto& [filter, shown] : filters) {
        setText(*page, "printerFilter", QString::fromLatin1(filter));
        EXPECT_EQ(aeTitles(), shown) << filter;
    }
}

#ifdef QUARVEL_DICOM
#include "LoopbackPorts.h"

TEST_F(PrinterPageTest, MenuSendsTheDicomTestFilmToTheSelectedRowsTitle)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows' sockets try a refused loopback connection again, so under Wine it ends as the 10 s "
                    "time-out and not as Linux's \"Connection refused\"";
#endif
    const LoopbackPort closed(false);
    config().Port = closed.port();
    list->selectRows({1});
    ui.menuChoices.push_back(QStringLiteral("Send DICOM &Test Film"));
    ui.modalHandlers.push_back([](QDialog& task) { QTRY_VERIFY(!task.isVisible()); });
    rightClickOnList();
    const std::string title = config().Printers.at(1)->PrinterAETitle;
    EXPECT_EQ(ui.lastMessage().text.toStdString(), "FAILED!\n\n" + title +
                                                       " at 127.0.0.1:" + std::to_string(closed.port()) +
                                                       ": test film not printed: no connection: Connection refused");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
}
#endif
