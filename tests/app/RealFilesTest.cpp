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

#include "GuiFixture.h"
#include "TestSupport.h"
#include "app/ExitDialog.h"
#include "app/ManualStartDialog.h"
#include "config/ConfigFormatter.h"
#include "pages/Page1Printer.h"
#include "pages/Page2PaperLayout.h"
#include "ui/ReportList.h"

namespace {

// A configuration without faults whose texts hold the given spellings of
// "für", "Größe" and "Köpfe".
void FillWithUmlauts(CConfiguration& c, const std::string& ue, const std::string& oe, const std::string& sz,
                     const std::string& capitalOe)
{
    sPrinter printer;
    printer.Description = "Drucker f" + ue + "r Station 1";
    printer.PrinterAETitle = "STATION1";
    printer.PrinterAddress = "10.1.1.1";
    printer.PrinterQueue = "K" + oe + "pfe";
    c.Printers.Add(printer);
    c.Headers.Add(sHeader{"K" + capitalOe + "PFE", "C:\\Bilder\\K" + oe + "pfe.bmp"});
    sPaper paper;
    paper.Name = "Gr" + oe + sz + "e A";
    paper.Description = "f" + ue + "r Filme";
    paper.PaperLabel = "Fach 1";
    paper.HeaderName = "K" + capitalOe + "PFE";
    paper.SizeX = 595;
    paper.SizeY = 842;
    c.Papers.Add(paper);
    c.Layout.PageSize = paper.Name;
    c.PrinterName = "Radiologie f" + ue + "r alle";
}

std::string FileWithUmlauts(const std::string& ue, const std::string& oe, const std::string& sz,
                            const std::string& capitalOe)
{
    CConfiguration c;
    FillWithUmlauts(c, ue, oe, sz, capitalOe);
    return FormatConfiguration(c);
}

// Made when first used: the writer's tables are not there yet while globals
// are being made.
std::string Windows1252File()
{
    return FileWithUmlauts("\xfc", "\xf6", "\xdf", "\xd6");
}
std::string Utf8File()
{
    return FileWithUmlauts("\xc3\xbc", "\xc3\xb6", "\xc3\x9f", "\xc3\x96");
}

class RealFilesTest : public SheetTest {
  protected:
    ReportList* List(QWidget* page, const char* name) { return Child<ReportList>(*page, name); }

    // Opens the first row of a list for editing and saves the dialog as it
    // came up.
    void EditFirstRowUnchanged(QWidget* page, const char* list, const char* editButton, const char* saveButton)
    {
        List(page, list)->selectRows({0});
        ui.modalHandlers.push_back(ClickButton(saveButton));
        Click(*page, editButton);
    }

    // Visits every page, saves every record's dialog unchanged, then saves
    // the configuration to out.
    void WalkAndSave(const std::string& out)
    {
        EditFirstRowUnchanged(sheet->PrinterPageWidget(), "printerList", "editButton", "saveButton");
        sheet->setActivePage(CQuarvel::PaperPage);
        EditFirstRowUnchanged(sheet->PaperPageWidget(), "paperList", "editPaperButton", "saveButton");
        EditFirstRowUnchanged(sheet->PaperPageWidget(), "headerList", "editHeaderButton", "okButton");
        sheet->setActivePage(CQuarvel::DicomPage);
        sheet->setActivePage(CQuarvel::ExtraPage);
        ui.saveResults.push_back(QString::fromStdString(out));
        ui.modalHandlers.push_back(ClickButton("closeButton"));
        SaveAndExit();
    }
};

} // namespace

TEST_F(RealFilesTest, AWindows1252FileShowsItsUmlautsAndIsSavedByteForByte)
{
    TempDir dir;
    WriteBytes(dir.file("site.cfg"), Windows1252File());
    StartLoad(QString::fromStdString(dir.file("site.cfg")));

    QWidget* printers = sheet->PrinterPageWidget();
    EXPECT_EQ(List(printers, "printerList")->text(0, 1), QString::fromUtf8("Drucker für Station 1"));
    EXPECT_EQ(List(printers, "printerList")->text(0, 3), QString::fromUtf8("Köpfe"));
    sheet->setActivePage(CQuarvel::PaperPage);
    EXPECT_EQ(List(sheet->PaperPageWidget(), "paperList")->text(0, 0), QString::fromUtf8("Größe A"));
    EXPECT_EQ(List(sheet->PaperPageWidget(), "headerList")->text(0, 1), QString::fromUtf8("C:\\Bilder\\Köpfe.bmp"));
    sheet->setActivePage(CQuarvel::PrinterPage);

    WalkAndSave(dir.file("out.cfg"));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().text.toStdString();
    EXPECT_EQ(ReadBytes(dir.file("out.cfg")), Windows1252File());
}

TEST_F(RealFilesTest, AUtf8FileShowsItsUmlautsAndIsSavedByteForByte)
{
    TempDir dir;
    WriteBytes(dir.file("site.cfg"), Utf8File());
    StartLoad(QString::fromStdString(dir.file("site.cfg")));
    EXPECT_EQ(List(sheet->PrinterPageWidget(), "printerList")->text(0, 1), QString::fromUtf8("Drucker für Station 1"));

    WalkAndSave(dir.file("out.cfg"));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().text.toStdString();
    EXPECT_EQ(ReadBytes(dir.file("out.cfg")), Utf8File());
}

TEST_F(RealFilesTest, RowsWithUmlautsAreEditedAndDeletedAndTypedTextTakesTheFilesCodePage)
{
    TempDir dir;
    WriteBytes(dir.file("site.cfg"), Windows1252File());
    StartLoad(QString::fromStdString(dir.file("site.cfg")));
    sheet->setActivePage(CQuarvel::PaperPage);
    QWidget* page = sheet->PaperPageWidget();

    List(page, "paperList")->selectRows({0});
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(Child<QLineEdit>(d, "title")->text(), QString::fromUtf8("Größe A"));
        SetText(d, "description", QString::fromUtf8("Für Röntgen – 5 €"));
        Click(d, "saveButton");
    });
    Click(*page, "editPaperButton");
    EXPECT_EQ(Config().Papers.GetAt(0)->Description, "F\xfcr R\xf6ntgen \x96 5 \x80");

    List(page, "headerList")->selectRows({0});
    Click(*page, "deleteHeaderButton");
    EXPECT_EQ(Config().Headers.GetCount(), 0);
    List(page, "paperList")->selectRows({0});
    Click(*page, "deletePaperButton");
    EXPECT_EQ(Config().Papers.GetCount(), 0);

    // A character the code page has no byte for is refused, not replaced.
    sheet->setActivePage(CQuarvel::PrinterPage);
    List(sheet->PrinterPageWidget(), "printerList")->selectRows({0});
    ui.modalHandlers.push_back([this](QDialog& d) {
        SetText(d, "description", QString::fromUtf8("Raum Ω"));
        Click(d, "saveButton");
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(ui.lastMessage().text, QString::fromUtf8("The character 'Ω' cannot be stored in this configuration "
                                                           "file: its texts are in the Windows-1252 code page. "
                                                           "Please use other characters."));
        EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
        d.reject();
    });
    Click(*sheet->PrinterPageWidget(), "editButton");
    EXPECT_EQ(Config().Printers.GetAt(0)->Description, "Drucker f\xfcr Station 1");
}

TEST_F(RealFilesTest, AUtf8FileTakesAnyCharacter)
{
    TempDir dir;
    WriteBytes(dir.file("site.cfg"), Utf8File());
    StartLoad(QString::fromStdString(dir.file("site.cfg")));
    List(sheet->PrinterPageWidget(), "printerList")->selectRows({0});
    ui.modalHandlers.push_back([](QDialog& d) {
        SetText(d, "description", QString::fromUtf8("Raum Ω"));
        Click(d, "saveButton");
    });
    Click(*sheet->PrinterPageWidget(), "editButton");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Config().Printers.GetAt(0)->Description, "Raum \xce\xa9");
}

TEST_F(RealFilesTest, TheCheckShowsThePageOfTheFirstFaultForEachFault)
{
    struct Case {
        const char* fault;
        std::function<void(CConfiguration&)> spoil;
        int page;
    };
    const Case cases[] = {
        {"no printer", [](CConfiguration& c) { c.Printers.RemoveAll(); }, CQuarvel::PrinterPage},
        {"no paper", [](CConfiguration& c) { c.Papers.RemoveAll(); }, CQuarvel::PaperPage},
        {"no print class", [](CConfiguration& c) { c.BasicColorMetaSOPClass = c.BasicGrayscaleMetaSOPClass = false; },
         CQuarvel::DicomPage},
        {"no server AE title", [](CConfiguration& c) { c.ServerAETitle.clear(); }, CQuarvel::DicomPage},
        {"no valid page size", [](CConfiguration& c) { c.Layout.PageSize = "nothing"; }, CQuarvel::ExtraPage},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.fault);
        TearDown();
        SetUp();
        FillWithUmlauts(Config(), "u", "o", "s", "O");
        test.spoil(Config());
        StartNew();
        // Shown on the Start page's far side, so that no page is right by chance.
        const int elsewhere = test.page == CQuarvel::ExtraPage ? CQuarvel::PrinterPage : CQuarvel::ExtraPage;
        sheet->setActivePage(elsewhere);
        ui.answers.push_back(Interaction::Answer::No);
        SaveAndExit();
        EXPECT_EQ(ActivePage(), test.page);
    }
}

TEST_F(RealFilesTest, TheExitDialogShowsItsWholeReport)
{
    TempDir dir;
    WriteBytes(dir.file("site.cfg"), Windows1252File());
    StartLoad(QString::fromStdString(dir.file("site.cfg")));
    ui.saveResults.push_back(QString::fromStdString(dir.file("another name.cfg")));
    ui.modalHandlers.push_back([](QDialog& d) {
        QApplication::processEvents();
        auto* report = Child<QLabel>(d, "reportText");
        EXPECT_TRUE(report->text().contains("'Start or restart the print server' was disabled."));
        EXPECT_GE(report->height(), report->heightForWidth(report->width()));
        EXPECT_TRUE(d.rect().contains(report->geometry()));
        Click(d, "closeButton");
    });
    SaveAndExit();
}

TEST(ManualStartKeys, EnterChoosesTheFocusedButtonAndNewOnlyWithoutOne)
{
    for (const char* focused : {"loadButton", "newButton"}) {
        CManualStartDialog dialog;
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        auto* button = Child<QPushButton>(dialog, focused);
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
    PrepareFileDialog(dialog, options);

    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), "Windows Bitmap (*.bmp)");
    EXPECT_EQ(types->itemText(1), "All Files (*.*)");

    TempDir dir;
    for (const char* name : {"graynodot", "logo.bmp", "config"})
        WriteBytes(dir.file(name), "x");
    const QDir folder(QString::fromStdString(dir.path()));
    // The patterns the dialog matches by: the last parentheses of each filter.
    auto patterns = [](const QString& filter) {
        return filter.sliced(filter.lastIndexOf('(') + 1).chopped(1).split(' ', Qt::SkipEmptyParts);
    };
    const QStringList filters = dialog.nameFilters();
    EXPECT_EQ(folder.entryList(patterns(filters[0]), QDir::Files), QStringList{"logo.bmp"});
    EXPECT_EQ(folder.entryList(patterns(filters[1]), QDir::Files), (QStringList{"config", "graynodot", "logo.bmp"}));
}
