// Saving while the window stays, reading the file again, the title that
// names the file and its unsaved changes, and what a failed save reports.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "pages/StartPage.h"

namespace {

using A = Interaction::Answer;

const QString kDash = QStringLiteral(" \u2014 ");

ScriptedInteraction::ModalHandler readReport(QString& report)
{
    return [&report](QDialog& dialog) {
        report = child<QLabel>(dialog, "reportText")->text();
        dialog.accept();
    };
}

class SaveAndReloadTest : public SheetTest {
  protected:
    void activate()
    {
        sheet->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    }
    // The DICOM page's port typed in, then the page left by Ctrl+Tab.
    void typePort(const char* port)
    {
        ASSERT_TRUE(sheet->setActivePage(MainSheet::DicomTab));
        activate();
        auto* field = child<QLineEdit>(*sheet, "port");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromLatin1(port));
        QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
        ASSERT_EQ(sheet->activeIndex(), MainSheet::AdditionalSettingsTab);
        QCoreApplication::processEvents();
    }
    QAction* action(const char* name) { return sheet->findChild<QAction*>(QString::fromLatin1(name)); }
    QString title() const { return sheet->windowTitle(); }
};

} // namespace

TEST_F(SaveAndReloadTest, ADeclinedCheckRunsAgainAndAMissingFileNamedIsTheOneOffered)
{
    // "quarvel missing.cfg" in a folder that holds a real config.cfg.
    TempDir dir;
    writeBytes(dir.file("config.cfg"), kGoodFile);
    const QString missing = QString::fromStdString(dir.file("missing.cfg"));
    sheet->startPageWidget()->loadFile(missing);
    ASSERT_EQ(sheet->pageCount(), 1);
    for (int round = 1; round <= 2; ++round) {
        ui.answers.push_back(A::No);
        saveAndExit();
        EXPECT_EQ(ui.messages.size(), 1u + round) << round; // the load's error, then a check each time
        EXPECT_TRUE(ui.lastMessage().text.startsWith(QStringLiteral("There are errors"))) << round;
    }
    ui.answers.push_back(A::Yes);
    ui.saveResults.push_back(std::nullopt);
    saveAndExit();
    ASSERT_EQ(ui.saveSpecs.size(), 1u);
    EXPECT_EQ(ui.saveSpecs[0].initialName, missing);
    EXPECT_EQ(readBytes(dir.file("config.cfg")), kGoodFile);
}

TEST(SaveDialog, ReplacingAnExistingFileAsksFirst)
{
    TempDir dir;
    writeBytes(dir.file("config.cfg"), kGoodFile);
    for (const auto& [answer, accepted] : {std::pair{QMessageBox::No, false}, std::pair{QMessageBox::Yes, true}}) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        Interaction::FileDialogOptions options;
        options.filter = QStringLiteral("Config files (*.cfg);;All files (*.*)");
        options.defaultSuffix = QStringLiteral("cfg");
        prepareSaveDialog(dialog, options);
        dialog.setDirectory(QString::fromStdString(dir.path()));
        dialog.selectFile(QStringLiteral("config.cfg"));
        dialog.show();
        QString asked;
        QTimer::singleShot(0, [&asked, answer = answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked = box->text();
            box->button(answer)->click();
        });
        QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection); // as the dialog's Save button does
        EXPECT_TRUE(asked.contains(QStringLiteral("already exists"))) << asked.toStdString();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, accepted);
        dialog.hide();
    }
}

TEST_F(SaveAndReloadTest, AFileGoneSinceTheLoadIsSaidToBeMovedOrDeleted)
{
    const struct {
        const char* name;
        std::function<void(const std::string&)> change;
        const char* question;
    } rows[] = {
        {"changed", [](const std::string& f) { writeBytes(f, std::string(kGoodFile) + "\n"); },
         "config.cfg was changed by another program since it was loaded."},
        {"deleted", [](const std::string& f) { std::filesystem::remove(f); },
         "config.cfg was moved or deleted since it was loaded."},
        {"moved", [](const std::string& f) { std::filesystem::rename(f, f + ".old"); },
         "config.cfg was moved or deleted since it was loaded."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string file = dir.file("config.cfg");
        writeBytes(file, kGoodFile);
        sheet = std::make_unique<MainSheet>(AppServices{ui, server, diagnostics});
        sheet->show();
        ui.messages.clear();
        startLoad(QString::fromStdString(file));
        row.change(file);
        ui.saveResults.push_back(QString::fromStdString(file));
        ui.answers.push_back(A::Cancel);
        saveAndExit();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.lastMessage().text, row.question);
        EXPECT_EQ(fileExists(file), std::string(row.name) == "changed"); // Cancel wrote nothing
    }
}

TEST_F(SaveAndReloadTest, TheTitleNamesTheFileAndMarksChangesUntilTheyAreSavedOrUndone)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), kGoodFile);
    const QString site = QStringLiteral("site.cfg[*]") + kDash + QStringLiteral("Quarvel 1.3");
    activate();
    const struct {
        const char* step;
        std::function<void()> act;
        QString title;
        bool modified;
    } rows[] = {
        {"opened", [] {}, QStringLiteral("Quarvel 1.3"), false},
        {"loaded", [&] { startLoad(QString::fromStdString(dir.file("site.cfg"))); }, site, false},
        {"port changed", [&] { typePort("4000"); }, site, true},
        {"changed back", [&] { typePort("104"); }, site, false},
        {"changed again", [&] { typePort("4001"); }, site, true},
        {"saved",
         [&] {
             ui.modalHandlers.push_back(clickButton("closeButton"));
             ASSERT_TRUE(sheet->save());
         },
         site, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        row.act();
        EXPECT_EQ(title(), row.title);
        EXPECT_EQ(sheet->isWindowModified(), row.modified);
    }
    // Qt's form of the path: '/' on Windows too.
    EXPECT_EQ(QDir::toNativeSeparators(sheet->filePath()),
              QDir::toNativeSeparators(QString::fromStdString(dir.file("site.cfg"))));
    EXPECT_EQ(readBytes(dir.file("site.cfg")), formatConfiguration(config()));
}

TEST_F(SaveAndReloadTest, CtrlSSavesWithTheCheckAndReportAndKeepsTheWindow)
{
    TempDir dir;
    const std::string file = dir.file("config.cfg");
    writeBytes(file, kGoodFile);
    startLoad(QString::fromStdString(file));
    activate();
    typePort("4002");

    // Ctrl+S: no save dialog for the file being edited; the report, and the
    // window stays.
    QString report;
    ui.modalHandlers.push_back(readReport(report));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(ui.saveSpecs.empty());
    EXPECT_TRUE(report.startsWith(QStringLiteral("Saving status:\tSUCCESS"))) << report.toStdString();
    EXPECT_EQ(config().Port, 4002);
    EXPECT_EQ(readBytes(file), formatConfiguration(config()));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(sheet->saveDone()); // "Save and Exit" still saves what follows

    // A fault: the same question, for a save that keeps the window.
    config().Printers.removeAtPositions({0});
    ui.answers.push_back(A::No);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ui.lastMessage().text, QStringLiteral("There are errors in the configuration. The server will not "
                                                    "work properly.\n\nERRORS:\n\nNo printer configured.\n\n\nDo you "
                                                    "want to save without any correction?"));
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(SaveAndReloadTest, ReloadReadsTheFileAgainAfterAskingAboutUnsavedChanges)
{
    TempDir dir;
    const std::string file = dir.file("config.cfg");
    EXPECT_FALSE(action("reloadAction")->isEnabled());
    writeBytes(file, kGoodFile);
    startLoad(QString::fromStdString(file));
    activate();
    ASSERT_TRUE(action("reloadAction")->isEnabled());
    typePort("4003");
    // Another program changes the file; the save is cancelled at its question.
    writeBytes(file, std::string(kGoodFile) + "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 5000\n");
    ui.saveResults.push_back(QString::fromStdString(file));
    ui.answers.push_back(A::Cancel);
    saveAndExit();
    ASSERT_TRUE(sheet->setActivePage(MainSheet::DicomTab));

    const struct {
        const char* name;
        A answer;
        int port;
    } rows[] = {{"No keeps the edits", A::No, 4003}, {"Yes loads the file on disk", A::Yes, 5000}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui.answers.push_back(row.answer);
        action("reloadAction")->trigger();
        EXPECT_TRUE(ui.lastMessage().text.startsWith(QStringLiteral("The configuration has changes that were not "
                                                                    "saved. Do you want to discard them and load "
                                                                    "config.cfg again?")));
        EXPECT_EQ(config().Port, row.port);
        EXPECT_EQ(child<QLineEdit>(*sheet, "port")->text(), QString::number(row.port));
    }
    EXPECT_FALSE(sheet->isWindowModified());
    // Nothing unsaved: no question.
    const std::size_t asked = ui.messages.size();
    action("reloadAction")->trigger();
    EXPECT_EQ(ui.messages.size(), asked);
    // And the next save finds the file as it was read: no question either.
    QString report;
    ui.modalHandlers.push_back(readReport(report));
    ASSERT_TRUE(sheet->save());
    EXPECT_EQ(ui.messages.size(), asked);
}

TEST_F(SaveAndReloadTest, AFailedSaveSaysWhatFailedAndThatTheFileIsAsItWas)
{
#ifdef _WIN32
    GTEST_SKIP() << "the system's words differ on Windows";
#endif
    TempDir dir;
    writeBytes(dir.file("site.cfg"), kGoodFile);
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    std::filesystem::create_directory(dir.file("folder.cfg"));
    const struct {
        const char* name;
        std::string path;
        std::string says;
    } rows[] = {
        {"missing folder", dir.file("no/such/config.cfg"),
         dir.file("no/such/config.cfg") + ": No such file or directory; the folder " + dir.file("no/such") +
             " was not found."},
        {"a folder at the path", dir.file("folder.cfg"), "Access to " + dir.file("folder.cfg") + " was denied."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui.saveResults.push_back(QString::fromStdString(row.path));
        QString report;
        ui.modalHandlers.push_back(readReport(report));
        saveAndExit();
        EXPECT_EQ(report.toStdString(), "Saving status:\tFAILED\n\nFile could not be opened: " + row.says +
                                            "\n\nInformation:\n\nNothing was saved: the file on disk is as it was.");
        EXPECT_TRUE(sheet->isVisible());
    }
}
