#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "PageFixture.h"
#include "config/StandardPaperSizes.h"
#include "pages/HeaderDialog.h"
#include "pages/Page2PaperLayout.h"
#include "pages/PaperSizeDialog.h"
#include "pages/StandardPaperSizeDialog.h"
#include "ui/ReportList.h"

namespace {

class PaperPageTest : public PageTest<CPage2PaperLayout> {
  protected:
    void SetUp() override
    {
        for (const char* name : {"A4", "Letter", "Film"})
            AddPaper(name);
        Config().Headers.Add(sHeader{"LOGO", "logo.bmp"});
        Config().Headers.Add(sHeader{"WARD", "ward.bmp"});
        Open();
        papers = Child<ReportList>(*page, "paperList");
        headers = Child<ReportList>(*page, "headerList");
    }

    void AddPaper(const std::string& name)
    {
        sPaper p;
        p.Name = name;
        p.SizeX = 100 + Config().Papers.GetCount();
        p.SizeY = 200;
        Config().Papers.Add(p);
    }

    static QStringList Column0(ReportList* list)
    {
        QStringList names;
        for (int row = 0; row < list->rowCount(); ++row)
            names << list->text(row, 0);
        return names;
    }

    void RightClick(QWidget* target, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse)
    {
        const QPoint global = target->mapToGlobal(target->rect().center());
        QContextMenuEvent event(reason, page->mapFromGlobal(global), global);
        QApplication::sendEvent(page, &event);
    }

    // Paper dialog: title and sizes, then "Save".
    static ScriptedInteraction::ModalHandler PaperWith(const QString& title, const QString& label = "L")
    {
        return [title, label](QDialog& d) {
            SetText(d, "title", title);
            SetText(d, "sizeX", QStringLiteral("10"));
            SetText(d, "sizeY", QStringLiteral("20"));
            SetText(d, "paperLabel", label);
            Click(d, "saveButton");
        };
    }
    static ScriptedInteraction::ModalHandler HeaderWith(const QString& name)
    {
        return [name](QDialog& d) {
            SetText(d, "name", name);
            SetText(d, "file", QStringLiteral("x.bmp"));
            Click(d, "okButton");
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
    EXPECT_EQ(Column0(headers), (QStringList{"LOGO", "WARD"}));
}

TEST_F(PaperPageTest, PaperNamesKeepTheirCaseWhileHeaderNamesAreUpperCased)
{
    ui.modalHandlers.push_back(PaperWith(QStringLiteral("a4")));
    Click(*page, "addPaperButton");
    EXPECT_EQ(Column0(papers), (QStringList{"A4", "Letter", "Film", "a4"}));
    ui.modalHandlers.push_back(PaperWith(QStringLiteral("A4")));
    Click(*page, "addPaperButton");
    EXPECT_EQ(ui.lastMessage().text, "Paper already exists");
    EXPECT_EQ(ui.lastMessage().buttons, Interaction::Buttons::Ok);
    EXPECT_EQ(Config().Papers.GetCount(), 4);

    ui.modalHandlers.push_back(HeaderWith(QStringLiteral("stamp")));
    Click(*page, "addHeaderButton");
    EXPECT_EQ(Column0(headers), (QStringList{"LOGO", "WARD", "STAMP"}));
    ui.modalHandlers.push_back(HeaderWith(QStringLiteral("Logo")));
    Click(*page, "addHeaderButton");
    EXPECT_EQ(ui.lastMessage().text, "Header bitmap already exists");
    EXPECT_EQ(Config().Headers.GetCount(), 3);

    headers->selectRows({2});
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(Child<QLineEdit>(d, "name")->text(), "STAMP");
        SetText(d, "name", QStringLiteral("seal"));
        Click(d, "okButton");
    });
    Click(*page, "editHeaderButton");
    EXPECT_EQ(Column0(headers), (QStringList{"LOGO", "WARD", "SEAL"}));
}

TEST_F(PaperPageTest, AfterAnEditToADuplicateNameEachRowActsOnItsOwnPaper)
{
    papers->selectRows({2});
    ui.modalHandlers.push_back(PaperWith(QStringLiteral("A4")));
    Click(*page, "editPaperButton");
    EXPECT_EQ(Column0(papers), (QStringList{"A4", "Letter", "A4"}));

    // Edit on the third row opens the third paper, not the first of its name.
    papers->selectRows({2});
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(Child<QLineEdit>(d, "sizeX")->text(), "10");
        d.reject();
    });
    Click(*page, "editPaperButton");

    // Deleting the first row removes the first paper only.
    papers->selectRows({0});
    Click(*page, "deletePaperButton");
    EXPECT_EQ(Column0(papers), (QStringList{"Letter", "A4"}));
    EXPECT_EQ(Config().Papers.begin()[1].SizeX, 10);
}

TEST_F(PaperPageTest, RenamingTheStandardLayoutsPaperRenamesPageSizeButDeletingDoesNot)
{
    Config().Layout.PageSize = "Letter";
    papers->selectRows({1});
    ui.modalHandlers.push_back(PaperWith(QStringLiteral("US Letter")));
    Click(*page, "editPaperButton");
    EXPECT_EQ(Config().Layout.PageSize, "US Letter");

    papers->selectRows({0});
    ui.modalHandlers.push_back(PaperWith(QStringLiteral("A4 plain")));
    Click(*page, "editPaperButton");
    EXPECT_EQ(Config().Layout.PageSize, "US Letter");

    papers->selectRows({1});
    Click(*page, "deletePaperButton");
    EXPECT_EQ(Config().Layout.PageSize, "US Letter");
    EXPECT_FALSE(Config().Papers.Exists("US Letter"));
}

TEST_F(PaperPageTest, ContextMenuOnlyOnThePaperList)
{
    papers->selectRows({0, 1});
    RightClick(papers);
    ASSERT_EQ(ui.menus.size(), 1u);
    EXPECT_EQ(ui.menus[0].objectName, "PaperSizeMenu");
    EXPECT_EQ(ui.menus[0].enabled, (QStringList{"Add", "Delete"}));
    EXPECT_EQ(ui.menus[0].disabled, QStringList{"Edit"});
    RightClick(headers);
    RightClick(papers, QContextMenuEvent::Keyboard);
    EXPECT_EQ(ui.menus.size(), 1u);

    ui.menuChoices.push_back(QStringLiteral("Delete"));
    RightClick(papers);
    EXPECT_EQ(Column0(papers), QStringList{"Film"});
}

TEST_F(PaperPageTest, ListsAreRefilledOnEveryActivation)
{
    Leave();
    AddPaper("Added elsewhere");
    Activate();
    EXPECT_EQ(Column0(papers).last(), "Added elsewhere");
}

namespace {

class PaperDialogTest : public ::testing::Test {
  protected:
    void Open(const sPaper& paper, const CHeaderList* headerList)
    {
        dialog = std::make_unique<CPaperSizeDialog>(ui);
        dialog->SetRecord(paper);
        dialog->SetHeaders(headerList);
        dialog->show();
    }
    void TearDown() override { dialog.reset(); }
    QComboBox* HeaderList() { return Child<QComboBox>(*dialog, "headerBitmap"); }

    ScriptedInteraction ui;
    std::unique_ptr<CPaperSizeDialog> dialog;
    CHeaderList headers;
};

sPaper Sized(const std::string& header = "")
{
    sPaper p;
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
    Open(Sized(), &headers);
    EXPECT_FALSE(HeaderList()->isEnabled());
    Click(*dialog, "saveButton");
    EXPECT_EQ(dialog->Record().HeaderName, "");
    dialog.reset();

    headers.Add(sHeader{"LOGO", ""});
    headers.Add(sHeader{"WARD", ""});
    Open(Sized("GONE"), &headers);
    EXPECT_TRUE(HeaderList()->isEnabled());
    EXPECT_EQ(HeaderList()->count(), 2);
    EXPECT_EQ(HeaderList()->currentIndex(), -1);
    Click(*dialog, "saveButton");
    EXPECT_EQ(dialog->Record().HeaderName, "GONE");
    dialog.reset();

    Open(Sized("WARD"), &headers);
    EXPECT_EQ(HeaderList()->currentText(), "WARD");
    HeaderList()->setCurrentIndex(0);
    Click(*dialog, "saveButton");
    EXPECT_EQ(dialog->Record().HeaderName, "LOGO");
}

TEST_F(PaperDialogTest, SaveChecksTitleThenSizeThenAsksAboutTheLabel)
{
    Open(sPaper{}, &headers);
    EXPECT_EQ(Caption(Child<QPushButton>(*dialog, "saveButton")->text()), "Save");
    SetText(*dialog, "sizeX", QString());
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(dialog->focusWidget(), Child<QWidget>(*dialog, "sizeX"));
    SetText(*dialog, "sizeX", QStringLiteral("0"));

    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "No title for paper size defined. Fill in a proper title that is available at "
                                     "your printing client, i.e. '14INX17IN'.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
    SetText(*dialog, "title", QStringLiteral(" "));
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text,
              "No proper page size defined. A Page can not have the width or height defined with 0.");
    SetText(*dialog, "sizeX", QStringLiteral("10"));
    SetText(*dialog, "sizeY", QStringLiteral("10"));

    ui.answers.push_back(Interaction::Answer::No);
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "No proper paper label defined. The selection of the correct paper tray of the "
                                     "printer might fail. Close the paper dialog?");
    EXPECT_EQ(ui.lastMessage().buttons, Interaction::Buttons::YesNo);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    ui.answers.push_back(Interaction::Answer::Yes);
    Click(*dialog, "saveButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Record().Name, " ");
    EXPECT_EQ(dialog->Record().PaperLabel, "");
}

TEST_F(PaperDialogTest, StandardValuesFillOnlySizeAndLabel)
{
    Open(Sized(), &headers);
    SetText(*dialog, "skipX", QStringLiteral("7"));
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Standard Paper Size");
        auto* list = Child<QComboBox>(d, "paperSize");
        EXPECT_EQ(list->count(), 30);
        EXPECT_EQ(list->currentIndex(), -1);
        list->setCurrentIndex(13);
        EXPECT_EQ(Child<QLineEdit>(d, "width")->text(), "595");
        EXPECT_EQ(Child<QLineEdit>(d, "paperLabel")->text(), "A4");
        Click(d, "copyButton");
    });
    Click(*dialog, "standardButton");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "sizeX")->text(), "595");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "sizeY")->text(), "842");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "paperLabel")->text(), "A4");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "skipX")->text(), "7");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "title")->text(), "14INX17IN");

    // "Copy" without a choice gives 0, 0 and no label, which "Save" refuses.
    ui.modalHandlers.push_back(ClickButton("copyButton"));
    Click(*dialog, "standardButton");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "sizeX")->text(), "0");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "paperLabel")->text(), "");
    Click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text,
              "No proper page size defined. A Page can not have the width or height defined with 0.");
}

TEST_F(PaperDialogTest, AFieldThatCannotBeReadKeepsTheStandardSizesClosedAndTheTyping)
{
    Open(Sized(), &headers);
    SetText(*dialog, "sizeY", QString());
    SetText(*dialog, "skipY", QStringLiteral("12"));
    SetText(*dialog, "offsetY", QStringLiteral("-8"));
    Click(*dialog, "standardButton"); // no handler: the standard dialog must not open
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(dialog->focusWidget(), Child<QLineEdit>(*dialog, "sizeY"));
    EXPECT_EQ(Child<QLineEdit>(*dialog, "skipY")->text(), "12");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "offsetY")->text(), "-8");
    EXPECT_EQ(Child<QLineEdit>(*dialog, "sizeY")->text(), "");
}

TEST_F(PaperDialogTest, TooltipsSitOnTheCaptions)
{
    Open(Sized(), &headers);
    EXPECT_EQ(Child<QLabel>(*dialog, "paperLabelLabel")->toolTip(),
              "Name of the paper. The paper label will be included as  postscript command to select the proper "
              "paper tray.");
    EXPECT_TRUE(Child<QLineEdit>(*dialog, "paperLabel")->toolTip().isEmpty());
    EXPECT_EQ(Child<QPushButton>(*dialog, "standardButton")->toolTip(),
              "Get the width, the height and the label values for standard paper formats.");
}

TEST(HeaderDialog, BrowseOffersBitmapsAndKeepsTheName)
{
    ScriptedInteraction ui;
    CHeaderDialog dialog(ui);
    dialog.SetRecord(sHeader{"LOGO", ""});
    dialog.show();
    SetText(dialog, "name", QStringLiteral("typed"));
    ui.openResults.push_back(QStringLiteral("/srv/logo.bmp"));
    Click(dialog, "browseButton");
    EXPECT_EQ(ui.openSpecs[0].filter, "Windows Bitmap (*.bmp);;All Files (*.*)");
    EXPECT_EQ(ui.openSpecs[0].defaultSuffix, "bmp");
    EXPECT_EQ(Child<QLineEdit>(dialog, "file")->text(), "/srv/logo.bmp");
    EXPECT_EQ(Child<QLineEdit>(dialog, "name")->text(), "typed");
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.Record().IncludeFile, "/srv/logo.bmp");
    dialog.hide();
}
