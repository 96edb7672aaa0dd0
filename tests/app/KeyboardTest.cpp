// The editor driven from the keyboard: mnemonics, the Tab order and the
// keys that change the sheet's page.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QWizard>
#include <functional>

#include "GuiFixture.h"
#include "WindowWalk.h"
#include "app/ExitDialog.h"
#include "app/ManualStartDialog.h"
#include "pages/HeaderDialog.h"
#include "pages/PaperSizeDialog.h"
#include "pages/PrinterDialog.h"
#include "pages/StandardPaperSizeDialog.h"
#include "ui/PropertyPage.h"
#include "ui/UpDownButtons.h"
#include "wizard/ConfigurationWizard.h"
#include "wizard/WizardFinishDlg.h"

namespace {

using Visit = std::function<void(QWidget& window, const std::string& name)>;

class KeyboardTest : public SheetTest {
  protected:
    // Every window as the user meets it: the sheet on each page, each
    // dialog, the wizard on each page.
    void VisitEveryWindow(const Visit& visit)
    {
        StartNew();
        for (int i = 0; i < sheet->pageCount(); ++i) {
            ASSERT_TRUE(sheet->setActivePage(i));
            visit(*sheet, "sheet page " + tabs()->tabText(i).toStdString());
        }

        CHeaderList headers;
        headers.Add(sHeader{"LOGO", "logo.bmp"});
        CPrinterDialog printer(ui, diagnostics, sheet.get());
        Shown(printer, "printer dialog", visit);
        CPaperSizeDialog paper(ui, sheet.get());
        paper.SetHeaders(&headers);
        Shown(paper, "paper size dialog", visit);
        CStandardPaperSizeDialog standard(ui, sheet.get());
        Shown(standard, "standard paper size dialog", visit);
        CHeaderDialog header(ui, sheet.get());
        Shown(header, "header dialog", visit);
        CManualStartDialog manual(sheet.get());
        Shown(manual, "manual start dialog", visit);
        CExitDialog exitDialog(sheet.get());
        exitDialog.ReportText = QStringLiteral("Saving status:\tSUCCESS\n\n");
        exitDialog.RestartAllowed = true;
        Shown(exitDialog, "exit dialog", visit);
        CWizardFinishDlg finish(sheet.get());
        Shown(finish, "wizard finish dialog", visit);

        CConfigurationWizard wizard(ui, diagnostics, sheet.get());
        wizard.show();
        for (int id : wizard.pageIds()) {
            ASSERT_EQ(wizard.currentId(), id);
            visit(wizard, "wizard page " + std::to_string(id + 1));
            if (id == CConfigurationWizard::PrinterPage) {
                SetText(wizard, "aeTitle", QStringLiteral("AE"));
                SetText(wizard, "address", QStringLiteral("host"));
            } else if (id == CConfigurationWizard::PaperPage) {
                SetText(wizard, "layoutTitle", QStringLiteral("T"));
                for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
                    Child<QComboBox>(wizard, list)->setCurrentIndex(0);
            } else if (id == CConfigurationWizard::ServerPage) {
                SetText(wizard, "serverName", QStringLiteral("SRV"));
            }
            wizard.next();
        }
        wizard.hide();
    }

    static void Shown(QDialog& dialog, const std::string& name, const Visit& visit)
    {
        dialog.show();
        visit(dialog, name);
        dialog.hide();
    }

    QTabBar* tabs() const { return sheet->tabBar(); }

    // Makes the sheet the active window, as it is for a user at the
    // keyboard; its shortcuts work only then.
    void Activate()
    {
        sheet->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    }
    void Keys(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(target, key, modifiers);
    }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*sheet, name); }
};

} // namespace

TEST_F(KeyboardTest, EveryWindowHasOneDistinctMnemonicPerButtonBoxAndLabelledField)
{
    int windows = 0;
    VisitEveryWindow([&windows](QWidget& window, const std::string& name) {
        ++windows;
        EXPECT_EQ(MnemonicFaults(window), QStringList()) << name;
    });
    EXPECT_EQ(windows, 5 + 7 + 5);
}

TEST_F(KeyboardTest, TabFollowsEveryWindowFromTopToBottomThenItsButtons)
{
    VisitEveryWindow([](QWidget& window, const std::string& name) {
        const std::vector<QWidget*> order = InLayoutOrder(window);
        ASSERT_FALSE(order.empty()) << name;
        const std::vector<QWidget*> chain = TabChainFrom(window, order.front());
        EXPECT_EQ(Names(chain), Names(order)) << name;
        // The arrows of a number field are reached through its keys instead.
        for (QWidget* stop : chain)
            EXPECT_FALSE(qobject_cast<UpDownButtons*>(stop->parentWidget())) << name << ": " << Names({stop});
    });
}

TEST_F(KeyboardTest, TheSheetsTabOrderRunsFromTheTabsThroughThePageToItsButtons)
{
    StartNew();
    ASSERT_TRUE(sheet->setActivePage(CQuarvel::DicomPage));
    // The window begins at the tab bar, as the focus does when it opens.
    const QString chain = QString::fromStdString(Names(TabChain(*sheet)));
    EXPECT_TRUE(chain.startsWith(QStringLiteral("sheetTabs printerName acceptGrayscale "))) << chain.toStdString();
    EXPECT_TRUE(chain.endsWith(QStringLiteral(" port sheetOkButton sheetCancelButton"))) << chain.toStdString();
}

TEST_F(KeyboardTest, MnemonicsReachTheirControls)
{
    StartNew();
    ASSERT_TRUE(sheet->setActivePage(CQuarvel::DicomPage));
    Activate();
    Edit("printerName")->setFocus();
    Keys(QApplication::focusWidget(), Qt::Key_P, Qt::AltModifier); // "&Port:"
    EXPECT_EQ(QApplication::focusWidget(), Edit("port"));
    auto* box = Child<QAbstractButton>(*sheet, "supportPrintJob");
    const bool before = box->isChecked();
    Keys(QApplication::focusWidget(), Qt::Key_J, Qt::AltModifier); // "Support Print&job"
    QTRY_COMPARE(box->isChecked(), !before);
}

TEST_F(KeyboardTest, CtrlTabAndCtrlPageKeysGoRoundThePages)
{
    StartNew();
    Activate();
    ASSERT_EQ(ActivePage(), CQuarvel::PrinterPage);
    // From inside the printer list, then from wherever the focus goes.
    Child<QWidget>(*sheet, "printerList")->setFocus();
    ASSERT_EQ(QApplication::focusWidget()->objectName(), "printerList");
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page;
    } steps[] = {
        {Qt::Key_Tab, Qt::ControlModifier, CQuarvel::PaperPage},
        {Qt::Key_PageDown, Qt::ControlModifier, CQuarvel::DicomPage},
        {Qt::Key_PageDown, Qt::ControlModifier, CQuarvel::ExtraPage},
        {Qt::Key_Tab, Qt::ControlModifier, CQuarvel::StartPage}, // round the end
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, CQuarvel::ExtraPage},
        {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, CQuarvel::DicomPage},
        {Qt::Key_PageUp, Qt::ControlModifier, CQuarvel::PaperPage},
    };
    for (const auto& step : steps) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        Keys(focus, step.key, step.modifiers);
        EXPECT_EQ(ActivePage(), step.page) << QKeySequence(step.key | step.modifiers).toString().toStdString();
        EXPECT_EQ(tabs()->currentIndex(), step.page);
        EXPECT_TRUE(sheet->activePage()->isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == tabs());
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(KeyboardTest, KeysChangeThePageOnlyWhenThePageAgreesToBeLeft)
{
    StartNew();
    ASSERT_TRUE(sheet->setActivePage(CQuarvel::DicomPage));
    Activate();
    Edit("port")->setText(QStringLiteral("70000"));
    Edit("printerName")->setFocus();
    QSignalSpy moves(tabs(), &QTabBar::currentChanged);

    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_PageUp}) {
        Keys(QApplication::focusWidget(), key, Qt::ControlModifier);
        EXPECT_EQ(ActivePage(), CQuarvel::DicomPage);
        EXPECT_EQ(tabs()->currentIndex(), CQuarvel::DicomPage);
        EXPECT_EQ(QApplication::focusWidget(), Edit("port")); // as after a refused click
    }
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(moves.count(), 0);

    Edit("port")->setText(QStringLiteral("104"));
    Keys(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(ActivePage(), CQuarvel::ExtraPage);
    EXPECT_EQ(Config().Port, 104);
}

TEST_F(KeyboardTest, ARefusedPageChangeNeverMovesTheTabBar)
{
    StartNew();
    ASSERT_TRUE(sheet->setActivePage(CQuarvel::DicomPage));
    Activate();
    Edit("port")->setText(QStringLiteral("70000"));
    std::vector<int> tabShownWithMessage;
    ui.onMessage = [this, &tabShownWithMessage](const ScriptedInteraction::Message&) {
        tabShownWithMessage.push_back(tabs()->currentIndex());
    };
    QSignalSpy moves(tabs(), &QTabBar::currentChanged);

    // A click on another tab, the arrow keys and the wheel on the tab bar.
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(CQuarvel::PrinterPage).center());
    tabs()->setFocus();
    QTest::keyClick(tabs(), Qt::Key_Left);
    QTest::keyClick(tabs(), Qt::Key_Right);
    TurnWheel(tabs(), 120);

    EXPECT_EQ(tabShownWithMessage, std::vector<int>(4, CQuarvel::DicomPage));
    EXPECT_EQ(moves.count(), 0);
    EXPECT_EQ(tabs()->currentIndex(), CQuarvel::DicomPage);
    EXPECT_EQ(ActivePage(), CQuarvel::DicomPage);

    // Once the page agrees, the same click goes through, and so do the keys.
    Edit("port")->setText(QStringLiteral("104"));
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(CQuarvel::PrinterPage).center());
    EXPECT_EQ(ActivePage(), CQuarvel::PrinterPage);
    EXPECT_EQ(tabs()->currentIndex(), CQuarvel::PrinterPage);
    tabs()->setFocus();
    QTest::keyClick(tabs(), Qt::Key_Right);
    EXPECT_EQ(ActivePage(), CQuarvel::PaperPage);
    EXPECT_EQ(moves.count(), 2);
    ui.onMessage = nullptr;
}
