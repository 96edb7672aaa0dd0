#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "app/ExitDialog.h"
#include "cli/CfgTool.h"
#include "config/ConfigFormatter.h"
#include "pages/StartPage.h"

namespace {

const QString kThreeFaults = QStringLiteral(
    "There are errors in the configuration. The server will not work properly.\n\nERRORS:\n\n"
    "No printer configured.\nNo paper size configured.\nNo valid paper size defined for [STANDARD] layout.\n"
    "\n\nDo you want to save and exit without any correction?");

struct ExitDialogSeen {
    QString report;
    bool checkEnabled = false;
    QString buttonText;
};

// Reads the exit dialog, optionally ticks the box, and leaves it by "Close"
// or by Escape.
ScriptedInteraction::ModalHandler exitDialog(ExitDialogSeen& seen, bool tick, bool escape)
{
    return [&seen, tick, escape](QDialog& dialog) {
        seen.report = child<QLabel>(dialog, "reportText")->text();
        auto* box = child<QCheckBox>(dialog, "restartServer");
        seen.checkEnabled = box->isEnabled();
        seen.buttonText = caption(child<QPushButton>(dialog, "closeButton")->text());
        EXPECT_EQ(dialog.windowTitle(), "Quarvel");
        if (tick)
            box->click();
        if (escape)
            dialog.reject();
        else
            click(dialog, "closeButton");
    };
}

QStringList tabTitles(MainSheet& sheet)
{
    auto* tabs = sheet.findChild<QTabBar*>(QStringLiteral("sheetTabs"));
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles << tabs->tabText(i);
    return titles;
}

} // namespace

TEST_F(SheetTest, OpensOnTheStartPageWithItsCaptionAndButtons)
{
    EXPECT_EQ(sheet->windowTitle(), "Quarvel 1.3");
    EXPECT_EQ(caption(sheet->okButton()->text()), "Save and Exit");
    EXPECT_EQ(caption(sheet->cancelButton()->text()), "Exit");
    EXPECT_EQ(tabTitles(*sheet), QStringList{"Start"});
    EXPECT_FALSE(sheet->windowIcon().isNull());
    EXPECT_FALSE(sheet->checkDone());
    EXPECT_FALSE(sheet->saveDone());
}

TEST_F(SheetTest, CheckOnTheStartPageAloneStaysThereAndChecksAgain)
{
    ui.answers.push_back(Interaction::Answer::No);
    saveAndExit();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage().text, kThreeFaults);
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(ui.lastMessage().buttons, Interaction::Buttons::YesNo);
    EXPECT_EQ(activePage(), 0);
    EXPECT_TRUE(sheet->isVisible());

    // No page could be shown: the next attempt checks again all the same.
    EXPECT_FALSE(sheet->checkDone());
    ui.answers.push_back(Interaction::Answer::Yes);
    ui.saveResults.push_back(std::nullopt);
    saveAndExit();
    EXPECT_EQ(ui.messages.size(), 2u);
    ASSERT_EQ(ui.saveSpecs.size(), 1u);
    EXPECT_EQ(ui.saveSpecs[0].filter, "Config files (*.cfg);;All files (*.*)");
    EXPECT_EQ(ui.saveSpecs[0].defaultSuffix, "cfg");
    EXPECT_EQ(ui.saveSpecs[0].initialName, "");
    EXPECT_FALSE(sheet->saveDone());
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(SheetTest, NewAddsTheFourPagesOnceAndADeclinedCheckShowsThePrinterPage)
{
    startNew();
    EXPECT_EQ(tabTitles(*sheet), (QStringList{"Start", "Printer", "Paper", "DICOM", "Additional Settings"}));
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_FALSE(child<QPushButton>(*sheet, "manualButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(*sheet, "wizardButton")->isEnabled());

    sheet->addConfigurationPages();
    EXPECT_EQ(sheet->pageCount(), 5);

    sheet->setActivePage(MainSheet::DicomTab);
    ui.answers.push_back(Interaction::Answer::No);
    saveAndExit();
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_FALSE(sheet->checkDone()); // the activation cleared it
}

TEST_F(SheetTest, EscapeOnTheManualDialogMeansLoadAndAMissingFileKeepsTheStartPage)
{
    TempDir dir;
    ui.modalHandlers.push_back(rejectDialog());
    ui.openResults.push_back(QString::fromStdString(dir.file("missing.cfg")));
    sheet->startPageWidget()->onManualConfiguration();

    ASSERT_EQ(ui.openSpecs.size(), 1u);
    EXPECT_EQ(ui.openSpecs[0].filter, "Configuration files (*.cfg);;All Files (*.*)");
    EXPECT_EQ(ui.openSpecs[0].defaultSuffix, "cfg");
    EXPECT_EQ(ui.openSpecs[0].initialName, "config");
    EXPECT_TRUE(ui.openSpecs[0].mustExist);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage().text,
              QString::fromStdString("File could not be opened: " + dir.file("missing.cfg") + " was not found."));
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
    EXPECT_EQ(sheet->pageCount(), 1);
    EXPECT_TRUE(child<QPushButton>(*sheet, "manualButton")->isEnabled());

    // A cancelled file dialog changes nothing either.
    ui.modalHandlers.push_back(clickButton("loadButton"));
    ui.openResults.push_back(std::nullopt);
    sheet->startPageWidget()->onManualConfiguration();
    EXPECT_EQ(sheet->pageCount(), 1);
}

TEST_F(SheetTest, LoadOfAGoodFileShowsThePrinterPageAndProposesItsPath)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), kGoodFile);
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_EQ(sheet->configurationFileName(), QString::fromStdString(dir.file("site.cfg")));
    EXPECT_EQ(config().Printers.size(), 1);

    ui.saveResults.push_back(std::nullopt);
    saveAndExit();
    EXPECT_TRUE(ui.messages.empty()); // the check passes silently
    ASSERT_EQ(ui.saveSpecs.size(), 1u);
    EXPECT_EQ(ui.saveSpecs[0].initialName, QString::fromStdString(dir.file("site.cfg")));
}

TEST_F(SheetTest, LoadOfAFileWhoseSaveWasCutOffSaysSoAndWhereTheOldBytesAre)
{
#ifdef _WIN32
    GTEST_SKIP() << "the Windows writer keeps no recovery copy of an in-place save to name";
#endif
    TempDir dir;
    const std::string file = dir.file("site.cfg"), state = dir.file("state");
    writeBytes(file, kGoodFile);
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const std::string stem = state + "/quarvel/recovery/" + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino);
    std::filesystem::create_directories(state + "/quarvel/recovery");
    writeBytes(stem + ".saving", file + "\n");
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state));
    startLoad(QString::fromStdString(file));
    qputenv("XDG_STATE_HOME", saved);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage().text.toStdString(), "A save of " + file +
                                                       " was interrupted while it wrote the file; it may be "
                                                       "incomplete. The old content is in " +
                                                       stem + ".old.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(sheet->pageCount(), 5); // the load goes on
}

TEST_F(SheetTest, LoadOfAHandEditedFileWarnsOfTheLinesASaveDropsWithTheirDetails)
{
    TempDir dir;
    // A comment, an unknown key, an unknown section with one key line, a
    // word read as another and a duplicate.
    writeBytes(dir.file("site.cfg"), std::string("; by hand\n") + kGoodFile +
                                         "[[[DICOM]]]\n[[SESSION]]\n[General]\nPriority = URGENT\nCopies = 2\n"
                                         "Copies = 3\nTypo = 1\n[Extra]\nA = 1\n");
    const QString path = QString::fromStdString(dir.file("site.cfg"));
    startLoad(path);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage().text, "5 warnings about '" + path + "': a save changes or drops 6 lines.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(ui.lastMessage().buttons, Interaction::Buttons::Ok);
    EXPECT_EQ(ui.lastMessage().details,
              "line 1: a comment: a save keeps only its own banner [comment]\n"
              "line 20: value 'URGENT' of Priority is read, and saved, as 'MED' [value-replaced]\n"
              "line 22: Copies = 2 on line 21 is replaced by line 22 [duplicate]\n"
              "line 23: unknown key 'Typo' in section [General]: a save drops the line [unknown-key]\n"
              "line 24: section [[[DICOM]]] [[SESSION]] [Extra] is not part of the configuration: a save drops it "
              "and its 1 key line [unknown-section]");
    // The load goes on as for any file.
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_EQ(config().Copies, 3);
}

namespace {

struct HandEditedFile {
    const char* name;
    std::string text;
};

const std::string kPrinterOne = "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-1]\n";

const HandEditedFile kHandEditedFiles[] = {
    {"a clean file", kGoodFile},
    {"a key set twice", kPrinterOne + "PrinterQueue = lp\nPrinterAddress = 10.0.0.1\nPrinterQueue = raw\n"},
    {"a section given twice", kPrinterOne + "PrinterQueue = lp\n" + kPrinterOne + "PrinterAddress = 10.0.0.1\n"},
    {"an unknown section with key lines", std::string(kGoodFile) + "[[[X]]]\n[[Y]]\n[Z]\nA = 1\nB = 2\n"},
    {"printers the server cannot use", kPrinterOne + "PrinterAETitle = A\n[Printer-2]\nPrinterAETitle = A\n"},
    {"port 0 and a comment", "; ours\n[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 0\n"},
};

// The warnings count of "quarvel-cfg check"'s last line, "N faults, M warnings".
std::size_t checkCount(const std::string& path)
{
    std::ostringstream out, err;
    runCfgTool({"check", path}, out, err);
    return std::stoul(out.str().substr(out.str().rfind(", ") + 2));
}

using A = Interaction::Answer;

struct OnDiskCase {
    const char* name;
    bool changedOnDisk;
    std::vector<A> answers;
    bool written;
};

const OnDiskCase kOnDiskCases[] = {
    {"an unchanged file is saved without a question", false, {}, true},
    {"Cancel goes back and writes nothing", true, {A::Cancel}, false},
    {"Overwrite writes ours", true, {A::Overwrite}, true},
    {"Show Changes, then Overwrite", true, {A::ShowChanges, A::Overwrite}, true},
    {"Show Changes, then Cancel", true, {A::ShowChanges, A::Cancel}, false},
};

// What a changes window showed: its summary and its diff.
ScriptedInteraction::ModalHandler readChanges(QString& seen)
{
    return [&seen](QDialog& dialog) {
        seen = child<QLabel>(dialog, "summary")->text() + QLatin1Char('\n') +
               child<QPlainTextEdit>(dialog, "diffText")->toPlainText();
        dialog.reject();
    };
}

} // namespace

TEST_F(SheetTest, LoadReportCountsWhatTheCheckWarnsOf)
{
    TempDir dir;
    for (const HandEditedFile& file : kHandEditedFiles) {
        SCOPED_TRACE(file.name);
        writeBytes(dir.file("config.cfg"), file.text);
        const QString path = QString::fromStdString(dir.file("config.cfg"));
        ui.messages.clear();
        sheet.reset(); // a load reads on top of the record: a fresh window for each file
        sheet = std::make_unique<MainSheet>(AppServices{ui, server, diagnostics});
        sheet->show();
        sheet->startPageWidget()->loadFile(path); // as "quarvel FILE" does
        EXPECT_EQ(sheet->pageCount(), 5);
        EXPECT_EQ(ui.messages.empty() ? 0 : std::stoul(ui.lastMessage().text.toStdString()),
                  checkCount(dir.file("config.cfg")));
    }
}

TEST_F(SheetTest, LoadOfAFileTheEditorWroteShowsNothing)
{
    TempDir dir;
    Configuration written;
    PrinterRecord printer;
    printer.PrinterAETitle = "LASER"; // an empty title would be warned of
    printer.PrinterAddress = "10.0.0.1";
    printer.PrinterQueue = "lp";
    written.Printers.add(printer);
    written.Copies = 4;
    std::string message;
    ASSERT_TRUE(written.saveToFile(dir.file("config.cfg"), message));
    startLoad(QString::fromStdString(dir.file("config.cfg")));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(config().Copies, 4);
    EXPECT_EQ(sheet->pageCount(), 5);
}

TEST_F(SheetTest, SavingAsConfigCfgInAnyCaseAllowsTheRestart)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), kGoodFile);
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    const std::string target = dir.file("CONFIG.CFG");
    ui.saveResults.push_back(QString::fromStdString(target));
    ExitDialogSeen seen;
    ui.modalHandlers.push_back(exitDialog(seen, true, false));
    saveAndExit();

    EXPECT_EQ(seen.report, QString::fromStdString("Saving status:\tSUCCESS\n\nConfiguration saved to file '" + target +
                                                  "'.\n\nInformation:\n\nRestart the ZELNOR application to take "
                                                  "effect of any changes in the configuration."));
    EXPECT_TRUE(seen.checkEnabled);
    EXPECT_EQ(seen.buttonText, "Close");
    EXPECT_EQ(server.calls, (std::vector<std::string>{"terminate tcpsrv.exe all", "start ZELNOR.bat in ."}));
    EXPECT_TRUE(fileExists(target));
    EXPECT_TRUE(sheet->saveDone());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
}

TEST_F(SheetTest, AnyOtherNameWarnsAndDisablesTheRestart)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), kGoodFile);
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    ui.saveResults.push_back(QString::fromStdString(dir.file("test.cfg")));
    ExitDialogSeen seen;
    ui.modalHandlers.push_back(exitDialog(seen, true, false));
    saveAndExit();

    EXPECT_TRUE(seen.report.contains(
        "\n\nInformation:\n\n!!! The new configuration file was not saved as 'config.cfg'. !!!\n'config.cfg' is the "
        "default filename used by the server start script. You have to rename the file manually or change the start "
        "script 'ZELNOR.bat'.\n'Start or restart the print server' was disabled.\n\nRestart the ZELNOR application"));
    EXPECT_FALSE(seen.checkEnabled);
    EXPECT_TRUE(server.calls.empty());
}

TEST_F(SheetTest, EscapeOnTheExitDialogRestartsNothing)
{
    TempDir dir;
    writeBytes(dir.file("config.cfg"), kGoodFile);
    startLoad(QString::fromStdString(dir.file("config.cfg")));
    ui.saveResults.push_back(QString::fromStdString(dir.file("config.cfg")));
    ExitDialogSeen seen;
    ui.modalHandlers.push_back(exitDialog(seen, true, true));
    saveAndExit();
    EXPECT_TRUE(seen.report.contains("An old configuration file was found and renamed."));
    EXPECT_TRUE(server.calls.empty());
    EXPECT_TRUE(fileExists(dir.file("config.bak")));
}

TEST_F(SheetTest, AFailedWriteKeepsTheWindowAndTheNextAttemptAsksAgain)
{
#ifdef _WIN32
    GTEST_SKIP() << "expects Linux's text for a missing folder; Windows says the path is invalid";
#endif
    TempDir dir;
    writeBytes(dir.file("site.cfg"), kGoodFile);
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    const std::string bad = dir.file("no/such/folder/config.cfg");
    ui.saveResults.push_back(QString::fromStdString(bad));
    ExitDialogSeen seen;
    ui.modalHandlers.push_back(exitDialog(seen, true, false));
    saveAndExit();

    EXPECT_TRUE(seen.report.startsWith(QString::fromStdString(
        "Saving status:\tFAILED\n\nFile could not be opened: " + bad + ": No such file or directory; the folder " +
        dir.file("no/such/folder") + " was not found.")));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(sheet->saveDone());
    // The restart still follows a ticked box, as the report allows it.
    EXPECT_EQ(server.calls.size(), 2u);

    const std::string good = dir.file("config.cfg");
    ui.saveResults.push_back(QString::fromStdString(good));
    ui.modalHandlers.push_back(exitDialog(seen, false, false));
    saveAndExit();
    EXPECT_EQ(ui.saveSpecs.size(), 2u);
    EXPECT_TRUE(fileExists(good));
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(SheetTest, ExitAsksAndNoKeepsEverything)
{
    startNew();
    ui.answers.push_back(Interaction::Answer::No);
    sheet->cancelButton()->click();
    EXPECT_EQ(ui.lastMessage().text, "Changes made will not be saved. Do you really want to close?\n");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_TRUE(sheet->isVisible());

    ui.answers.push_back(Interaction::Answer::Yes);
    QTest::keyClick(sheet.get(), Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
}

TEST_F(SheetTest, ASaveOverAFileAnotherProgramChangedAsksFirst)
{
    const std::string theirs =
        std::string(kGoodFile) + "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-2]\nPrinterAETitle = THIRD\n";
    for (const OnDiskCase& tc : kOnDiskCases) {
        SCOPED_TRACE(tc.name);
        TempDir dir;
        const std::string file = dir.file("config.cfg");
        writeBytes(file, kGoodFile);
        sheet = std::make_unique<MainSheet>(AppServices{ui, server, diagnostics});
        sheet->show();
        ui.messages.clear();
        startLoad(QString::fromStdString(file));
        if (tc.changedOnDisk)
            writeBytes(file, theirs);
        const std::string onDisk = readBytes(file);

        ui.answers.assign(tc.answers.begin(), tc.answers.end());
        ui.saveResults.push_back(QString::fromStdString(file));
        QString shown;
        for (A answer : tc.answers)
            if (answer == A::ShowChanges)
                ui.modalHandlers.push_back(readChanges(shown));
        if (tc.written)
            ui.modalHandlers.push_back(clickButton("closeButton"));
        saveAndExit();

        EXPECT_EQ(ui.messages.size(), tc.answers.size()); // asked again after the changes were shown
        if (tc.changedOnDisk) {
            EXPECT_EQ(ui.lastMessage().text, "config.cfg was changed by another program since it was loaded.");
            EXPECT_EQ(ui.lastMessage().buttons, Interaction::Buttons::ShowChangesOverwriteCancel);
        }
        EXPECT_EQ(readBytes(file), tc.written ? formatConfiguration(config()) : onDisk);
        EXPECT_EQ(shown.contains(QStringLiteral("-PrinterAETitle = THIRD")),
                  std::count(tc.answers.begin(), tc.answers.end(), A::ShowChanges) > 0);
        // The two sides are the file as it is now and what the save writes.
        EXPECT_EQ(shown.contains(QStringLiteral("\n--- on disk\n+++ to be saved\n@@ ")),
                  std::count(tc.answers.begin(), tc.answers.end(), A::ShowChanges) > 0);
    }
}

TEST_F(SheetTest, ReviewChangesShowsWhatASaveWouldChangeWithTheCounts)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), kGoodFile);
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    PrinterRecord printer;
    printer.PrinterAETitle = "SECOND";
    config().Printers.add(printer);
    QString shown;
    ui.modalHandlers.push_back(readChanges(shown));
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(shown.contains(QStringLiteral(", 1 printer added."))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("\n+PrinterAETitle = SECOND"))) << shown.toStdString();
}

// A configuration that starts new takes the system's ANSI code page where
// the file format knows it, and the server's Windows-1252 otherwise.
TEST(NewFileEncoding, FollowsTheSystemsAnsiCodePage)
{
    const struct {
        unsigned codePage;
        TextEncoding expected;
    } rows[] = {
        {1252, TextEncoding::Windows1252}, // Western European Windows
        {65001, TextEncoding::Utf8},       // Windows with UTF-8 for programs
        {1250, TextEncoding::Windows1252}, // a code page the format does not know
        {0, TextEncoding::Windows1252},    // Linux: none
    };
    for (const auto& row : rows)
        EXPECT_EQ(encodingOfNewFiles(row.codePage), row.expected) << row.codePage;
}
