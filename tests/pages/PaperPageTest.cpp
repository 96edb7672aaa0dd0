#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "PageFixture.h"
#include "config/StandardPaperSizes.h"
#include "pages/HeaderDialog.h"
#include "pages/PaperPage.h"
#include "pages/PaperSizeDialog.h"
#include "pages/StandardPaperSizeDialog.h"
#include "ui/ReportList.h"

namespace {

class PaperPageTest : public PageTest<PaperPage> {
  protected:
    void SetUp() override
    {
        for (const char* name : {"A4", "Letter", "Film"})
            addPaper(name);
        config().Headers.add(HeaderRecord{"LOGO", "logo.bmp"});
        config().Headers.add(HeaderRecord{"WARD", "ward.bmp"});
        open();
        papers = child<ReportList>(*page, "paperList");
        headers = child<ReportList>(*page, "headerList");
    }

    void addPaper(const std::string& name)
    {
        PaperRecord p;
        p.Name = name;
        p.SizeX = 100 + config().Papers.size();
        p.SizeY = 200;
        config().Papers.add(p);
    }

    static QStringList column0(ReportList* list)
    {
        QStringList names;
        for (int row = 0; row < list->rowCount(); ++row)
            names << list->text(row, 0);
        return names;
    }

    void rightClick(QWidget* target, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse)
    {
        const QPoint global = target->mapToGlobal(target->rect().center());
        QContextMenuEvent event(reason, page->mapFromGlobal(global), global);
        QApplication::sendEvent(page, &event);
    }

    // Paper dialog: title and sizes, then "Save".
    static ScriptedInteraction::ModalHandler paperWith(const QString& title, const QString& label = "L")
    {
        return [title, label](QDialog& d) {
            setText(d, "title", title);
            setText(d, "sizeX", QStringLiteral("10"));
            setText(d, "sizeY", QStringLiteral("20"));
            setText(d, "paperLabel", label);
            click(d, "saveButton");
        };
    }
    static ScriptedInteraction::ModalHandler headerWith(const QString& name)
    {
        return [name](QDialog& d) {
            setText(d, "name", name);
            setText(d, "file", QStringLiteral("x.bmp"));
            click(d, "okButton");
        };
    }

    ReportList* papers = nullptr;
    ReportList* headers = nullptr;
};

} // namespace

TEST_F(PaperPageTest, ListsShowTheGivenColumnsAndNumbers)
{
    const QStringList titles = {"Title",  "Description", "Label", "Header", "Width",
                                "Height", "SkipX",       "SkipY", "OffX",   "OffY"};
    const int widths[] = {80, 80, 55, 55, 38, 38, 38, 38, 35, 35};
    ASSERT_EQ(papers->columnCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(papers->headerText(i), titles[i]);
        EXPECT_EQ(papers->columnWidth(i), widths[i]);
    }
    EXPECT_EQ(headers->headerText(1), "File");
    EXPECT_EQ(headers->columnWidth(0), 140);
    EXPECT_EQ(headers->columnWidth(1), 280);
    EXPECT_EQ(papers->text(1, 4), "101");
    EXPECT_EQ(column0(headers), (QStringList{"LOGO", "WARD"}));
}

TEST_F(PaperPageTest, PaperNamesKeepTheirCaseWhileHeaderNamesAreUpperCased)
{
    ui.modalHandlers.push_back(paperWith(QStringLiteral("a4")));
    click(*page, "addPaperButton");
    EXPECT_EQ(column0(papers), (QStringList{"A4", "Letter", "Film", "a4"}));
    ui.modalHandlers.push_back(paperWith(QStringLiteral("A4")));
    click(*page, "addPaperButton");
    EXPECT_EQ(ui.lastMessage().text, "Paper already exists");
    EXPECT_EQ(ui.lastMessage().buttons, Interaction::Buttons::Ok);
    EXPECT_EQ(config().Papers.size(), 4);

    ui.modalHandlers.push_back(headerWith(QStringLiteral("stamp")));
    click(*page, "addHeaderButton");
    EXPECT_EQ(column0(headers), (QStringList{"LOGO", "WARD", "STAMP"}));
    ui.modalHandlers.push_back(headerWith(QStringLiteral("Logo")));
    click(*page, "addHeaderButton");
    EXPECT_EQ(ui.lastMessage().text, "Header bitmap already exists");
    EXPECT_EQ(config().Headers.size(), 3);

    headers->selectRows({2});
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(child<QLineEdit>(d, "name")->text(), "STAMP");
        setText(d, "name", QStringLiteral("seal"));
        click(d, "okButton");
    });
    click(*page, "editHeaderButton");
    EXPECT_EQ(column0(headers), (QStringList{"LOGO", "WARD", "SEAL"}));
}

TEST_F(PaperPageTest, WithADuplicateNameFromTheFileEachRowActsOnItsOwnPaper)
{
    // An edit refuses the name (a file may still hold it twice).
    papers->selectRows({2});
    ui.modalHandlers.push_back([](QDialog& d) {
        paperWith(QStringLiteral("A4"))(d);
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    click(*page, "editPaperButton");
    EXPECT_EQ(ui.lastMessage().text, "Paper already exists");
    EXPECT_EQ(column0(papers), (QStringList{"A4", "Letter", "Film"}));
    ASSERT_TRUE(leave());
    config().Papers.at(2)->Name = "A4";
    config().Papers.at(2)->SizeX = 10;
    ASSERT_TRUE(activate());
    EXPECT_EQ(column0(papers), (QStringList{"A4", "Letter", "A4"}));

    // Edit on the third row opens the third paper, not the first of its name.
    papers->selectRows({2});
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(child<QLineEdit>(d, "sizeX")->text(), "10");
        d.reject();
    });
    click(*page, "editPaperButton");

    // Deleting the first row removes the first paper only.
    papers->selectRows({0});
    click(*page, "deletePaperButton");
    EXPECT_EQ(column0(papers), (QStringList{"Letter", "A4"}));
    EXPECT_EQ(config().Papers.begin()[1].SizeX, 10);
}

TEST_F(PaperPageTest, RenamingTheStandardLayoutsPaperRenamesPageSizeButDeletingDoesNot)
{
    config().Layout.PageSize = "Letter";
    papers->selectRows({1});
    ui.modalHandlers.push_back(paperWith(QStringLiteral("US Letter")));
    click(*page, "editPaperButton");
    EXPECT_EQ(config().Layout.PageSize, "US Letter");

    papers->selectRows({0});
    ui.modalHandlers.push_back(paperWith(QStringLiteral("A4 plain")));
    click(*page, "editPaperButton");
    EXPECT_EQ(config().Layout.PageSize, "US Letter");

    papers->selectRows({1});
    click(*page, "deletePaperButton");
    EXPECT_EQ(config().Layout.PageSize, "US Letter");
    EXPECT_FALSE(config().Papers.exists("US Letter"));
}

TEST_F(PaperPageTest, ContextMenuOnEachListForItsOwnRecords)
{
    papers->selectRows({0, 1});
    rightClick(papers);
    ASSERT_EQ(ui.menus.size(), 1u);
    EXPECT_EQ(ui.menus[0].objectName, "PaperSizeMenu");
    EXPECT_EQ(ui.menus[0].enabled, (QStringList{"&Add", "&Delete"}));
    EXPECT_EQ(ui.menus[0].disabled, QStringList{"&Edit"});
    headers->selectRows({1});
    rightClick(headers);
    ASSERT_EQ(ui.menus.size(), 2u);
    EXPECT_EQ(ui.menus[1].objectName, "HeaderMenu");
    EXPECT_EQ(ui.menus[1].enabled, (QStringList{"&Add", "&Edit", "&Delete"}));
    rightClick(papers, QContextMenuEvent::Keyboard);
    EXPECT_EQ(ui.menus.size(), 2u);

    ui.menuChoices.push_back(QStringLiteral("&Delete"));
    rightClick(headers);
    EXPECT_EQ(column0(headers), QStringList{"LOGO"});
    papers->selectRows({0, 1});

    ui.menuChoices.push_back(QStringLiteral("&Delete"));
    rightClick(papers);
    EXPECT_EQ(column0(papers), QStringList{"Film"});
}

namespace {

struct HeaderListCase {
    const char* name;
    QString filter;
    int sortKeys; // Ctrl+1 presses on the list
    QStringList shown;
};

const HeaderListCase kHeaderListCases[] = {
    {"the filter narrows by the name, case ignored", "ward", 0, {"WARD"}},
    {"the filter narrows by the file", "logo.bmp", 0, {"LOGO"}},
    {"Ctrl+1 sorts by the name", "", 1, {"ARCHIVE", "LOGO", "WARD"}},
    {"again: the other way round", "", 2, {"WARD", "LOGO", "ARCHIVE"}},
    {"a third time: the order of the file", "", 3, {"LOGO", "WARD", "ARCHIVE"}},
    {"sorted and filtered", "a", 2, {"WARD", "ARCHIVE"}},
};

} // namespace

TEST_F(PaperPageTest, TheHeaderListFiltersAndSortsFromTheKeyboard)
{
    ASSERT_TRUE(leave());
    config().Headers.add(HeaderRecord{"ARCHIVE", "archive.bmp"});
    ASSERT_TRUE(activate());
    auto* filter = child<QLineEdit>(*page, "headerFilter");
    for (const HeaderListCase& tc : kHeaderListCases) {
        SCOPED_TRACE(tc.name);
        headers->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
        filter->setText(tc.filter);
        for (int i = 0; i < tc.sortKeys; ++i)
            QTest::keyClick(headers, Qt::Key_1, Qt::ControlModifier);
        EXPECT_EQ(column0(headers), tc.shown);
    }
    // Rows stay the records' positions: the selection deletes ARCHIVE.
    headers->selectRows({2});
    click(*page, "deleteHeaderButton");
    EXPECT_EQ(config().Headers.size(), 2u);
    EXPECT_FALSE(config().Headers.exists("ARCHIVE"));
}

TEST_F(PaperPageTest, ListsAreRefilledOnEveryActivation)
{
    leave();
    addPaper("Added elsewhere");
    activate();
    EXPECT_EQ(column0(papers).last(), "Added elsewhere");
}

namespace {

class PaperDialogTest : public ::testing::Test {
  protected:
    void open(const PaperRecord& paper, const HeaderList* headerList)
    {
        dialog = std::make_unique<PaperSizeDialog>(ui, TextEncoding::Windows1252);
        dialog->setRecord(paper);
        dialog->setHeaders(headerList);
        dialog->show();
    }
    void TearDown() override { dialog.reset(); }
    QComboBox* headerList() { return child<QComboBox>(*dialog, "headerBitmap"); }

    ScriptedInteraction ui;
    std::unique_ptr<PaperSizeDialog> dialog;
    HeaderList headers;
};

PaperRecord sized(const std::string& header = "")
{
    PaperRecord p;
    p.Name = "14INX17IN";
    p.PaperLabel = "Tray 1";
    p.SizeX = 1008;
    p.SizeY = 1224;
    p.HeaderName = header;
    return p;
}

} // namespace

TEST_F(PaperDialogTest, HeaderListStatesAndAStaleHeaderName)
{
    open(sized(), &headers);
    EXPECT_FALSE(headerList()->isEnabled());
    click(*dialog, "saveButton");
    EXPECT_EQ(dialog->record().HeaderName, "");
    dialog.reset();

    headers.add(HeaderRecord{"LOGO", ""});
    headers.add(HeaderRecord{"WARD", ""});
    open(sized("GONE"), &headers);
    EXPECT_TRUE(headerList()->isEnabled());
    EXPECT_EQ(headerList()->count(), 2);
    EXPECT_EQ(headerList()->currentIndex(), -1);
    click(*dialog, "saveButton");
    EXPECT_EQ(dialog->record().HeaderName, "GONE");
    dialog.reset();

    open(sized("WARD"), &headers);
    EXPECT_EQ(headerList()->currentText(), "WARD");
    headerList()->setCurrentIndex(0);
    click(*dialog, "saveButton");
    EXPECT_EQ(dialog->record().HeaderName, "LOGO");
}

TEST_F(PaperDialogTest, SaveChecksTitleThenSizeThenAsksAboutTheLabel)
{
    open(PaperRecord{}, &headers);
    EXPECT_EQ(caption(child<QPushButton>(*dialog, "saveButton")->text()), "Save");
    setText(*dialog, "sizeX", QString());
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(dialog->focusWidget(), child<QWidget>(*dialog, "sizeX"));
    setText(*dialog, "sizeX", QStringLiteral("0"));

    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "No title for paper size defined. Fill in a proper title that is available at "
                                     "your printing client, i.e. '14INX17IN'.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
    setText(*dialog, "title", QStringLiteral(" "));
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text,
              "No proper page size defined. A Page can not have the width or height defined with 0.");
    setText(*dialog, "sizeX", QStringLiteral("10"));
    setText(*dialog, "sizeY", QStringLiteral("10"));

    ui.answers.push_back(Interaction::Answer::No);
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "No proper paper label defined. The selection of the correct paper tray of the "
                                     "printer might fail. Close the paper dialog?");
    EXPECT_EQ(ui.lastMessage().buttons, Interaction::Buttons::YesNo);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    ui.answers.push_back(Interaction::Answer::Yes);
    click(*dialog, "saveButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->record().Name, " ");
    EXPECT_EQ(dialog->record().PaperLabel, "");
}

TEST_F(PaperDialogTest, StandardValuesFillOnlySizeAndLabel)
{
    open(sized(), &headers);
    setText(*dialog, "skipX", QStringLiteral("7"));
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Standard Paper Size");
        auto* list = child<QComboBox>(d, "paperSize");
        EXPECT_EQ(list->count(), 30);
        EXPECT_EQ(list->currentIndex(), -1);
        list->setCurrentIndex(13);
        EXPECT_EQ(child<QLineEdit>(d, "width")->text(), "595");
        EXPECT_EQ(child<QLineEdit>(d, "paperLabel")->text(), "A4");
        click(d, "copyButton");
    });
    click(*dialog, "standardButton");
    EXPECT_EQ(child<QLineEdit>(*dialog, "sizeX")->text(), "595");
    EXPECT_EQ(child<QLineEdit>(*dialog, "sizeY")->text(), "842");
    EXPECT_EQ(child<QLineEdit>(*dialog, "paperLabel")->text(), "A4");
    EXPECT_EQ(child<QLineEdit>(*dialog, "skipX")->text(), "7");
    EXPECT_EQ(child<QLineEdit>(*dialog, "title")->text(), "14INX17IN");

    // "Copy" without a choice gives 0, 0 and no label, which "Save" refuses.
    ui.modalHandlers.push_back(clickButton("copyButton"));
    click(*dialog, "standardButton");
    EXPECT_EQ(child<QLineEdit>(*dialog, "sizeX")->text(), "0");
    EXPECT_EQ(child<QLineEdit>(*dialog, "paperLabel")->text(), "");
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text,
              "No proper page size defined. A Page can not have the width or height defined with 0.");
}

TEST_F(PaperDialogTest, AFieldThatCannotBeReadKeepsTheStandardSizesClosedAndTheTyping)
{
    open(sized(), &headers);
    setText(*dialog, "sizeY", QString());
    setText(*dialog, "skipY", QStringLiteral("12"));
    setText(*dialog, "offsetY", QStringLiteral("-8"));
    click(*dialog, "standardButton"); // no handler: the standard dialog must not open
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(dialog->focusWidget(), child<QLineEdit>(*dialog, "sizeY"));
    EXPECT_EQ(child<QLineEdit>(*dialog, "skipY")->text(), "12");
    EXPECT_EQ(child<QLineEdit>(*dialog, "offsetY")->text(), "-8");
    EXPECT_EQ(child<QLineEdit>(*dialog, "sizeY")->text(), "");
}

TEST_F(PaperDialogTest, TooltipsSitOnTheCaptions)
{
    open(sized(), &headers);
    EXPECT_EQ(child<QLabel>(*dialog, "paperLabelLabel")->toolTip(),
              "Name of the paper. The paper label will be included as  postscript command to select the proper "
              "paper tray.");
    EXPECT_TRUE(child<QLineEdit>(*dialog, "paperLabel")->toolTip().isEmpty());
    EXPECT_EQ(child<QPushButton>(*dialog, "standardButton")->toolTip(),
              "Get the width, the height and the label values for standard paper formats.");
}

TEST(HeaderDialog, BrowseOffersBitmapsAndKeepsTheName)
{
    ScriptedInteraction ui;
    HeaderDialog dialog(ui, TextEncoding::Windows1252);
    dialog.setRecord(HeaderRecord{"LOGO", ""});
    dialog.show();
    setText(dialog, "name", QStringLiteral("typed"));
    ui.openResults.push_back(QStringLiteral("/srv/logo.bmp"));
    click(dialog, "browseButton");
    EXPECT_EQ(ui.openSpecs[0].filter, "Windows Bitmap (*.bmp);;All Files (*.*)");
    EXPECT_EQ(ui.openSpecs[0].defaultSuffix, "bmp");
    EXPECT_EQ(child<QLineEdit>(dialog, "file")->text(), "/srv/logo.bmp");
    EXPECT_EQ(child<QLineEdit>(dialog, "name")->text(), "typed");
    click(dialog, "okButton");
    EXPECT_EQ(dialog.record().IncludeFile, "/srv/logo.bmp");
    dialog.hide();
}
