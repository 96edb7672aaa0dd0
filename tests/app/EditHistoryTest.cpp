// Names that another record has are refused while the dialog is open; a
// header's new name follows into its papers; Undo and Redo go back through
// every change of the configuration, from the keyboard anywhere in the window.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "app/EditMenu.h"
#include "ui/ReportList.h"

namespace {

class EditHistoryTest : public SheetTest {
  protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        startNew();
        Configuration& c = config();
        for (const char* title : {"LASER1", "LASER2", "LASER3"}) {
            PrinterRecord p;
            p.Description = "d";
            p.PrinterAETitle = title;
            p.PrinterAddress = "10.0.0.1";
            p.PrinterQueue = "lp";
            c.Printers.add(p);
        }
        const auto paper = [&c](const char* name, int x, int y, const char* header) {
            PaperRecord p;
            p.Name = name;
            p.PaperLabel = name;
            p.SizeX = x;
            p.SizeY = y;
            p.HeaderName = header;
            c.Papers.add(p);
        };
        paper("A4", 595, 842, "LOGO");
        paper("LETTER", 612, 792, "LOGO");
        paper("FILM", 1000, 1200, "");
        c.Headers.add(HeaderRecord{"LOGO", "logo.bmp"});
        c.Headers.add(HeaderRecord{"WARD", "ward.bmp"});
        c.Layout.PageSize = "A4";
        // Shown again with the records above, which no change made.
        ASSERT_TRUE(sheet->setActivePage(MainSheet::PaperTab));
        ASSERT_TRUE(sheet->setActivePage(MainSheet::PrinterTab));
        ASSERT_EQ(sheet->undoStack().count(), 0);
    }

    ReportList* list(const char* name) { return child<ReportList>(*sheet, name); }
    QStringList names(const char* listName)
    {
        QStringList shown;
        ReportList* l = list(listName);
        for (int row = 0; row < l->rowCount(); ++row)
            shown << l->text(row, 0);
        return shown;
    }
    // The names in the configuration, whatever page shows.
    template <typename List, typename Name> static QStringList namesIn(const List& records, Name name)
    {
        QStringList names;
        for (const auto& r : records)
            names << QString::fromStdString(r.*name);
        return names;
    }
    QStringList paperHeaders() const
    {
        QStringList headers;
        for (const PaperRecord& p : sheet->configuration().Papers)
            headers << QString::fromStdString(p.HeaderName);
        return headers;
    }
    // A key as the user presses it: to the widget with the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : sheet.get(), key, modifiers);
    }
    void deleteRows(const char* listName, const std::vector<int>& rows)
    {
        list(listName)->setFocus();
        list(listName)->selectRows(rows);
        press(Qt::Key_Delete);
    }
};

const QStringList kPrinters{"LASER1", "LASER2", "LASER3"};
const QStringList kPapers{"A4", "LETTER", "FILM"};
const QStringList kHeaders{"LOGO", "WARD"};
const QStringList kPaperHeaders{"LOGO", "LOGO", ""};

struct NameCase {
    const char* name;
    int tab;
    const char* list;
    int row; // edited; -1: added
    const char* button;
    const char* field;
    QString typed;
    const char* saveButton;
    QString refusal; // empty: accepted
    QStringList namesAfter;
    QStringList paperHeadersAfter;
};

const NameCase kNameCases[] = {
    {"paper edit to another's title", MainSheet::PaperTab, "paperList", 1, "editPaperButton", "title", "A4",
     "saveButton", "Paper already exists", kPapers, kPaperHeaders},
    {"header edit to another's name", MainSheet::PaperTab, "headerList", 1, "editHeaderButton", "name", "logo",
     "okButton", "Header bitmap already exists", kHeaders, kPaperHeaders},
    {"printer edit to another's AE title", MainSheet::PrinterTab, "printerList", 2, "editButton", "aeTitle", "LASER1",
     "saveButton", "Printer already exists", kPrinters, kPaperHeaders},
    {"printer add of an AE title there is", MainSheet::PrinterTab, "printerList", -1, "addButton", "aeTitle", "LASER2",
     "saveButton", "Printer already exists", kPrinters, kPaperHeaders},
    {"paper edit keeping its own title", MainSheet::PaperTab, "paperList", 0, "editPaperButton", "title", "A4",
     "saveButton", "", kPapers, kPaperHeaders},
    {"printer edit keeping its own AE title", MainSheet::PrinterTab, "printerList", 1, "editButton", "aeTitle",
     "LASER2", "saveButton", "", kPrinters, kPaperHeaders},
    {"header edit keeping its own name", MainSheet::PaperTab, "headerList", 0, "editHeaderButton", "name", "LOGO",
     "okButton", "", kHeaders, kPaperHeaders},
    {"header renamed: its papers follow",
     MainSheet::PaperTab,
     "headerList",
     0,
     "editHeaderButton",
     "name",
     "hospital",
     "okButton",
     "",
     {"HOSPITAL", "WARD"},
     {"HOSPITAL", "HOSPITAL", ""}},
};

} // namespace

TEST_F(EditHistoryTest, ANameAnotherRecordHasIsRefusedWithTheDialogOpenAndTheInputKept)
{
    for (const NameCase& tc : kNameCases) {
        SCOPED_TRACE(tc.name);
        ASSERT_TRUE(sheet->setActivePage(tc.tab));
        const QStringList before = names(tc.list);
        const std::size_t messages = ui.messages.size();
        bool stillOpen = false;
        QStringList kept;
        ui.modalHandlers.push_back([&](QDialog& d) {
            if (tc.row < 0)
                for (const char* field : {"description", "address", "queue"})
                    setText(d, field, QStringLiteral("typed"));
            setText(d, tc.field, tc.typed);
            click(d, tc.saveButton);
            stillOpen = d.isVisible() && d.result() != QDialog::Accepted;
            for (QLineEdit* edit : d.findChildren<QLineEdit*>())
                if (!edit->text().isEmpty())
                    kept << edit->objectName() + QLatin1Char('=') + edit->text();
            if (stillOpen)
                click(d, "cancelButton");
        });
        if (tc.row >= 0)
            list(tc.list)->selectRows({tc.row});
        click(*sheet, tc.button);

        EXPECT_EQ(names(tc.list), tc.namesAfter);
        EXPECT_EQ(paperHeaders(), tc.paperHeadersAfter);
        EXPECT_EQ(stillOpen, !tc.refusal.isEmpty());
        if (tc.refusal.isEmpty()) {
            EXPECT_EQ(ui.messages.size(), messages);
            // Undo takes the edit back whole: the record and its papers.
            sheet->undoStack().undo();
            EXPECT_EQ(names(tc.list), before);
            EXPECT_EQ(paperHeaders(), kPaperHeaders);
        } else {
            EXPECT_EQ(ui.messages.size(), messages + 1);
            EXPECT_EQ(ui.messages.empty() ? QString() : ui.lastMessage().text, tc.refusal);
            EXPECT_TRUE(kept.contains(QLatin1String(tc.field) + QLatin1Char('=') + tc.typed))
                << kept.join(' ').toStdString();
            if (tc.row < 0) {
                EXPECT_TRUE(kept.contains(QStringLiteral("queue=typed")));
            }
        }
    }
}

namespace {

struct UndoKeysCase {
    const char* name;
    std::function<void()> act;
    QStringList printers, papers, headers;
    int port;
    QString undoText; // of Edit -> Undo at the end
};

} // namespace

// Each row drives the window by keys and clicks, from the records of SetUp on
// the Printer page, and undoes all it did.
TEST_F(EditHistoryTest, UndoAndRedoReachEveryChangeFromAnywhereInTheWindow)
{
    const UndoKeysCase cases[] = {
        {"two printers deleted, both undone",
         [this] {
             deleteRows("printerList", {0});
             deleteRows("printerList", {0});
             EXPECT_EQ(names("printerList"), QStringList{"LASER3"});
             press(Qt::Key_Z, Qt::ControlModifier);
             press(Qt::Key_Z, Qt::ControlModifier);
         },
         kPrinters, kPapers, kHeaders, 104, "&Undo"},
        {"a paper deleted, then a header: both undone",
         [this] {
             ASSERT_TRUE(sheet->setActivePage(MainSheet::PaperTab));
             deleteRows("paperList", {1});
             deleteRows("headerList", {1});
             press(Qt::Key_Z, Qt::ControlModifier);
             press(Qt::Key_Z, Qt::ControlModifier);
         },
         kPrinters, kPapers, kHeaders, 104, "&Undo"},
        {"undo after a change of page",
         [this] {
             deleteRows("printerList", {0});
             press(Qt::Key_Tab, Qt::ControlModifier);
             ASSERT_EQ(sheet->activeIndex(), MainSheet::PaperTab);
             press(Qt::Key_Z, Qt::ControlModifier);
         },
         kPrinters, kPapers, kHeaders, 104, "&Undo"},
        {"Ctrl+Z with the focus on the Delete button",
         [this] {
             list("printerList")->selectRows({1});
             auto* button = child<QPushButton>(*sheet, "deleteButton");
             QTest::mouseClick(button, Qt::LeftButton);
             ASSERT_EQ(QApplication::focusWidget(), button);
             EXPECT_EQ(names("printerList"), (QStringList{"LASER1", "LASER3"}));
             press(Qt::Key_Z, Qt::ControlModifier);
         },
         kPrinters, kPapers, kHeaders, 104, "&Undo"},
        {"every printer deleted, the check answered No, then Ctrl+Z",
         [this] {
             list("printerList")->setFocus();
             press(Qt::Key_A, Qt::ControlModifier);
             press(Qt::Key_Delete);
             EXPECT_TRUE(names("printerList").isEmpty());
             ui.answers.push_back(Interaction::Answer::No);
             saveAndExit();
             ASSERT_TRUE(sheet->isVisible());
             press(Qt::Key_Z, Qt::ControlModifier);
         },
         kPrinters, kPapers, kHeaders, 104, "&Undo"},
        {"redo after undo",
         [this] {
             deleteRows("printerList", {1});
             press(Qt::Key_Z, Qt::ControlModifier);
             press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
         },
         {"LASER1", "LASER3"},
         kPapers,
         kHeaders,
         104,
         "&Undo Delete 1 printer"},
        {"a field typed on the DICOM page, undone from another page",
         [this] {
             ASSERT_TRUE(sheet->setActivePage(MainSheet::DicomTab));
             auto* port = child<QLineEdit>(*sheet, "port");
             port->setFocus();
             port->selectAll();
             QTest::keyClicks(port, "11112");
             press(Qt::Key_Tab);
             EXPECT_EQ(config().Port, 11112);
             press(Qt::Key_Tab, Qt::ControlModifier);
             ASSERT_EQ(sheet->activeIndex(), MainSheet::AdditionalSettingsTab);
             press(Qt::Key_Z, Qt::ControlModifier);
         },
         kPrinters, kPapers, kHeaders, 104, "&Undo"},
    };
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    for (const UndoKeysCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        ASSERT_TRUE(sheet->setActivePage(MainSheet::PrinterTab));
        tc.act();
        EXPECT_EQ(namesIn(config().Printers, &PrinterRecord::PrinterAETitle), tc.printers);
        EXPECT_EQ(namesIn(config().Papers, &PaperRecord::Name), tc.papers);
        EXPECT_EQ(namesIn(config().Headers, &HeaderRecord::Name), tc.headers);
        EXPECT_EQ(config().Port, tc.port);
        EXPECT_EQ(sheet->editMenu()->undoAction()->text(), tc.undoText);
        // The next row starts from the records of SetUp, with nothing to undo.
        while (sheet->undoStack().canUndo())
            sheet->undoStack().undo();
        sheet->undoStack().clear();
    }
}

TEST_F(EditHistoryTest, AnotherConfigurationStartsAHistoryOfItsOwn)
{
    list("printerList")->selectRows({0});
    click(*sheet, "deleteButton");
    ASSERT_TRUE(sheet->editMenu()->undoAction()->isEnabled());
    EXPECT_EQ(sheet->editMenu()->undoAction()->text(), "&Undo Delete 1 printer");
    TempDir dir;
    writeBytes(dir.file("other.cfg"), kGoodFile);
    ASSERT_TRUE(sheet->loadConfiguration(QString::fromStdString(dir.file("other.cfg"))));
    EXPECT_FALSE(sheet->undoStack().canUndo());
    EXPECT_FALSE(sheet->editMenu()->undoAction()->isEnabled());
    EXPECT_EQ(sheet->editMenu()->undoAction()->text(), "&Undo");
}

TEST_F(EditHistoryTest, TheEditMenuTakesNoneOfThePagesMnemonics)
{
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    // Alt+E on the Printer page still edits the selected printer.
    list("printerList")->setFocus();
    list("printerList")->selectRows({1});
    QString opened;
    ui.modalHandlers.push_back([&opened](QDialog& d) {
        opened = child<QLineEdit>(d, "aeTitle")->text();
        d.reject();
    });
    press(Qt::Key_E, Qt::AltModifier);
    // The button's click is animated: it comes a moment later.
    QTRY_COMPARE_WITH_TIMEOUT(opened, QStringLiteral("LASER2"), 2000);
    ui.modalHandlers.clear();
    const QMenuBar* bar = sheet->editMenu()->menuBar();
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), "&File");
    EXPECT_EQ(bar->actions()[1]->text(), "Edit");
}
