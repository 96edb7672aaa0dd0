// The editor with files written elsewhere: texts in the file's own code
// page, the check's jump to the page of the first fault, and the windows
// around loading and saving.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <condition_variable>
#ifndef _WIN32
#include <fcntl.h>
#endif
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "GuiFixture.h"
#include "TestSupport.h"
#include "app/ExitDialog.h"
#include "config/ConfigFormatter.h"
#include "pages/ManualStartDialog.h"
#include "pages/PaperPage.h"
#include "pages/PrinterPage.h"
#include "ui/ReportList.h"

namespace {

// A configuration without faults whose texts hold the given spellings of
// "für", "Größe" and "Köpfe".
void fillWithUmlauts(Configuration& c, const std::string& ue, const std::string& oe, const std::string& sz,
                     const std::string& capitalOe)
{
    PrinterRecord printer;
    printer.Description = "Drucker f" + ue + "r Station 1";
    printer.PrinterAETitle = "STATION1";
    printer.PrinterAddress = "10.1.1.1";
    printer.PrinterQueue = "K" + oe + "pfe";
    c.Printers.add(printer);
    c.Headers.add(HeaderRecord{"K" + capitalOe + "PFE", "C:\\Bilder\\K" + oe + "pfe.bmp"});
    PaperRecord paper;
    paper.Name = "Gr" + oe + sz + "e A";
    paper.Description = "f" + ue + "r Filme";
    paper.PaperLabel = "Fach 1";
    paper.HeaderName = "K" + capitalOe + "PFE";
    paper.SizeX = 595;
    paper.SizeY = 842;
    c.Papers.add(paper);
    c.Layout.PageSize = paper.Name;
    c.PrinterName = "Radiologie f" + ue + "r alle";
}

std::string fileWithUmlauts(const std::string& ue, const std::string& oe, const std::string& sz,
                            const std::string& capitalOe)
{
    Configuration c;
    fillWithUmlauts(c, ue, oe, sz, capitalOe);
    return formatConfiguration(c);
}

// Made when first used: the writer's tables are not there yet while globals
// are being made.
std::string windows1252File()
{
    return fileWithUmlauts("\xfc", "\xf6", "\xdf", "\xd6");
}
std::string utf8File()
{
    return fileWithUmlauts("\xc3\xbc", "\xc3\xb6", "\xc3\x9f", "\xc3\x96");
}

#ifndef _WIN32
// Should a load open a named pipe to read it, it would wait for a writer
// for ever: after ten seconds this one opens the pipe's other end (again
// and again until stopped), so that such a test fails instead of hanging.
class PipeWriterOfLastResort {
  public:
    explicit PipeWriterOfLastResort(const std::string& fifo)
        : m_thread([this, fifo] {
              std::unique_lock<std::mutex> lock(m_mutex);
              std::chrono::milliseconds wait = std::chrono::seconds(10);
              while (!m_changed.wait_for(lock, wait, [this] { return m_stopped; })) {
                  m_needed = true;
                  const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (fd >= 0)
                      ::close(fd);
                  wait = std::chrono::milliseconds(100);
              }
          })
    {
    }
    ~PipeWriterOfLastResort() { stop(); }

    // Whether it ever had to open the pipe.
    bool stop()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        return m_needed;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopped = false;
    bool m_needed = false;
    std::thread m_thread;
};
#endif

class RealFilesTest : public SheetTest {
  protected:
    ReportList* list(QWidget* page, const char* name) { return child<ReportList>(*page, name); }

    // Opens the first row of a list for editing and saves the dialog as it
    // came up.
    void editFirstRowUnchanged(QWidget* page, const char* listName, const char* editButton, const char* saveButton)
    {
        list(page, listName)->selectRows({0});
        ui.modalHandlers.push_back(clickButton(saveButton));
        click(*page, editButton);
    }

    // Visits every page, saves every record's dialog unchanged, then saves
    // the configuration to out.
    void walkAndSave(const std::string& out)
    {
        editFirstRowUnchanged(sheet->printerPageWidget(), "printerList", "editButton", "saveButton");
        sheet->setActivePage(MainSheet::PaperTab);
        editFirstRowUnchanged(sheet->paperPageWidget(), "paperList", "editPaperButton", "saveButton");
        editFirstRowUnchanged(sheet->paperPageWidget(), "headerList", "editHeaderButton", "okButton");
        sheet->setActivePage(MainSheet::DicomTab);
        sheet->setActivePage(MainSheet::AdditionalSettingsTab);
        ui.saveResults.push_back(QString::fromStdString(out));
        ui.modalHandlers.push_back(clickButton("closeButton"));
        saveAndExit();
    }
};

} // namespace

TEST_F(RealFilesTest, AWindows1252FileShowsItsUmlautsAndIsSavedByteForByte)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), windows1252File());
    startLoad(QString::fromStdString(dir.file("site.cfg")));

    QWidget* printers = sheet->printerPageWidget();
    EXPECT_EQ(list(printers, "printerList")->text(0, 1), QString::fromUtf8("Drucker für Station 1"));
    EXPECT_EQ(list(printers, "printerList")->text(0, 3), QString::fromUtf8("Köpfe"));
    sheet->setActivePage(MainSheet::PaperTab);
    EXPECT_EQ(list(sheet->paperPageWidget(), "paperList")->text(0, 0), QString::fromUtf8("Größe A"));
    EXPECT_EQ(list(sheet->paperPageWidget(), "headerList")->text(0, 1), QString::fromUtf8("C:\\Bilder\\Köpfe.bmp"));
    sheet->setActivePage(MainSheet::PrinterTab);

    walkAndSave(dir.file("out.cfg"));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().text.toStdString();
    EXPECT_EQ(readBytes(dir.file("out.cfg")), windows1252File());
}

TEST_F(RealFilesTest, AUtf8FileShowsItsUmlautsAndIsSavedByteForByte)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), utf8File());
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    EXPECT_EQ(list(sheet->printerPageWidget(), "printerList")->text(0, 1), QString::fromUtf8("Drucker für Station 1"));

    walkAndSave(dir.file("out.cfg"));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().text.toStdString();
    EXPECT_EQ(readBytes(dir.file("out.cfg")), utf8File());
}

TEST_F(RealFilesTest, RowsWithUmlautsAreEditedAndDeletedAndTypedTextTakesTheFilesCodePage)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), windows1252File());
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    sheet->setActivePage(MainSheet::PaperTab);
    QWidget* page = sheet->paperPageWidget();

    list(page, "paperList")->selectRows({0});
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(child<QLineEdit>(d, "title")->text(), QString::fromUtf8("Größe A"));
        setText(d, "description", QString::fromUtf8("Für Röntgen – 5 €"));
        click(d, "saveButton");
    });
    click(*page, "editPaperButton");
    EXPECT_EQ(config().Papers.at(0)->Description, "F\xfcr R\xf6ntgen \x96 5 \x80");

    list(page, "headerList")->selectRows({0});
    click(*page, "deleteHeaderButton");
    EXPECT_EQ(config().Headers.size(), 0);
    list(page, "paperList")->selectRows({0});
    click(*page, "deletePaperButton");
    EXPECT_EQ(config().Papers.size(), 0);

    // A character the code page has no byte for is refused, not replaced.
    sheet->setActivePage(MainSheet::PrinterTab);
    list(sheet->printerPageWidget(), "printerList")->selectRows({0});
    ui.modalHandlers.push_back([this](QDialog& d) {
        setText(d, "description", QString::fromUtf8("Raum Ω"));
        click(d, "saveButton");
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(ui.lastMessage().text, QString::fromUtf8("The character 'Ω' cannot be stored in this configuration "
                                                           "file: its texts are in the Windows-1252 code page. "
                                                           "Please use other characters."));
        EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
        d.reject();
    });
    click(*sheet->printerPageWidget(), "editButton");
    EXPECT_EQ(config().Printers.at(0)->Description, "Drucker f\xfcr Station 1");
}

TEST_F(RealFilesTest, AUtf8FileTakesAnyCharacter)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), utf8File());
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    list(sheet->printerPageWidget(), "printerList")->selectRows({0});
    ui.modalHandlers.push_back([](QDialog& d) {
        setText(d, "description", QString::fromUtf8("Raum Ω"));
        click(d, "saveButton");
    });
    click(*sheet->printerPageWidget(), "editButton");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(config().Printers.at(0)->Description, "Raum \xce\xa9");
}

// Windows has no named pipes among its files: the Linux build runs this.
#ifndef _WIN32
TEST_F(RealFilesTest, WhatTheCoreReaderRefusesIsReportedAtOnceAndKeepsTheStartPage)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe.cfg"), folder = dir.file("folder.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    struct Row {
        const char* what;
        std::string path;
        std::string message;
    };
    const Row rows[] = {
        {"named pipe", fifo, "File could not be opened: " + fifo + " is not a regular file."},
        {"folder", folder, "File could not be opened: Access to " + folder + " was denied."},
    };
    PipeWriterOfLastResort writer(fifo);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ui.messages.clear();
        startLoad(QString::fromStdString(row.path));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.lastMessage().text.toStdString(), row.message);
        EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
        EXPECT_EQ(sheet->pageCount(), 1);
    }
    EXPECT_FALSE(writer.stop()) << "a load waited for a writer of the pipe";
}
#endif

TEST_F(RealFilesTest, TheCheckShowsThePageOfTheFirstFaultForEachFault)
{
    struct Case {
        const char* fault;
        std::function<void(Configuration&)> spoil;
        int page;
    };
    const Case cases[] = {
        {"no printer", [](Configuration& c) { c.Printers.removeAll(); }, MainSheet::PrinterTab},
        {"no paper", [](Configuration& c) { c.Papers.removeAll(); }, MainSheet::PaperTab},
        {"no print class", [](Configuration& c) { c.BasicColorMetaSOPClass = c.BasicGrayscaleMetaSOPClass = false; },
         MainSheet::DicomTab},
        {"no server AE title", [](Configuration& c) { c.ServerAETitle.clear(); }, MainSheet::DicomTab},
        {"no valid page size", [](Configuration& c) { c.Layout.PageSize = "nothing"; },
         MainSheet::AdditionalSettingsTab},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.fault);
        TearDown();
        SetUp();
        fillWithUmlauts(config(), "u", "o", "s", "O");
        test.spoil(config());
        startNew();
        // Shown on the Start page's far side, so that no page is right by chance.
        const int elsewhere =
            test.page == MainSheet::AdditionalSettingsTab ? MainSheet::PrinterTab : MainSheet::AdditionalSettingsTab;
        sheet->setActivePage(elsewhere);
        ui.answers.push_back(Interaction::Answer::No);
        saveAndExit();
        EXPECT_EQ(activePage(), test.page);
    }
}

TEST_F(RealFilesTest, TheExitDialogShowsItsWholeReport)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), windows1252File());
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    ui.saveResults.push_back(QString::fromStdString(dir.file("another name.cfg")));
    ui.modalHandlers.push_back([](QDialog& d) {
        QApplication::processEvents();
        auto* report = child<QLabel>(d, "reportText");
        EXPECT_TRUE(report->text().contains("'Start or restart the print server' was disabled."));
        EXPECT_GE(report->height(), report->heightForWidth(report->width()));
        EXPECT_TRUE(d.rect().contains(report->geometry()));
        click(d, "closeButton");
    });
    saveAndExit();
}

TEST(ManualStartKeys, EnterChoosesTheFocusedButtonAndNewOnlyWithoutOne)
{
    for (const char* focused : {"loadButton", "newButton"}) {
        ManualStartDialog dialog;
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        auto* button = child<QPushButton>(dialog, focused);
        button->setFocus();
        ASSERT_TRUE(button->hasFocus());
        // The key goes where the keyboard goes: to the focused button first.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), std::string(focused) == "loadButton" ? QDialog::Rejected : QDialog::Accepted)
            << focused;
    }
}

TEST(FileDialogFilters, AllFilesKeepsItsCaptionAndMatchesFilesWithoutADot)
{
    QFileDialog dialog;
    Interaction::FileDialogOptions options;
    options.filter = QStringLiteral("Windows Bitmap (*.bmp);;All Files (*.*)");
    prepareFileDialog(dialog, options);

    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), "Windows Bitmap (*.bmp)");
    EXPECT_EQ(types->itemText(1), "All Files (*.*)");

    TempDir dir;
    for (const char* name : {"graynodot", "logo.bmp", "config"})
        writeBytes(dir.file(name), "x");
    const QDir folder(QString::fromStdString(dir.path()));
    // The patterns the dialog matches by: the last parentheses of each filter.
    auto patterns = [](const QString& filter) {
        return filter.sliced(filter.lastIndexOf('(') + 1).chopped(1).split(' ', Qt::SkipEmptyParts);
    };
    const QStringList filters = dialog.nameFilters();
    EXPECT_EQ(folder.entryList(patterns(filters[0]), QDir::Files), QStringList{"logo.bmp"});
    EXPECT_EQ(folder.entryList(patterns(filters[1]), QDir::Files), (QStringList{"config", "graynodot", "logo.bmp"}));
}
