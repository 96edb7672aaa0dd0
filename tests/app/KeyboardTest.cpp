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
#include "pages/HeaderDialog.h"
#include "pages/ManualStartDialog.h"
#include "pages/PaperSizeDialog.h"
#include "pages/PrinterDialog.h"
#include "pages/StandardPaperSizeDialog.h"
#include "ui/PropertyPage.h"
#include "ui/UpDownButtons.h"
#include "wizard/ConfigurationWizard.h"
#include "wizard/WizardFinishDialog.h"

namespace {

using Visit = std::function<void(QWidget& window, const std::string& name)>;

class KeyboardTest : public SheetTest {
  protected:
    // Every window as the user meets it: the sheet on each page, each
    // dialog, the wizard on each page.
    void visitEveryWindow(const Visit& visit)
    {
        startNew();
        for (int i = 0; i < sheet->pageCount(); ++i) {
            ASSERT_TRUE(sheet->setActivePage(i));
            visit(*sheet, "sheet page " + tabs()->tabText(i).toStdString());
        }

        HeaderList headers;
        headers.add(HeaderRecord{"LOGO", "logo.bmp"});
        PrinterDialog printer(ui, diagnostics, TextEncoding::Windows1252, sheet.get());
        shown(printer, "printer dialog", visit);
        PaperSizeDialog paper(ui, TextEncoding::Windows1252, sheet.get());
        paper.setHeaders(&headers);
        shown(paper, "paper size dialog", visit);
        StandardPaperSizeDialog standard(ui, TextEncoding::Windows1252, sheet.get());
        shown(standard, "standard paper size dialog", visit);
        HeaderDialog header(ui, TextEncoding::Windows1252, sheet.get());
        shown(header, "header dialog", visit);
        ManualStartDialog manual(sheet.get());
        shown(manual, "manual start dialog", visit);
        ExitDialog exitDialog(QStringLiteral("Saving status:\tSUCCESS\n\n"), true, sheet.get());
        shown(exitDialog, "exit dialog", visit);
        WizardFinishDialog finish(sheet.get());
        shown(finish, "wizard finish dialog", visit);

        ConfigurationWizard wizard(ui, diagnostics, TextEncoding::Windows1252, sheet.get());
        wizard.show();
        for (int id : wizard.pageIds()) {
            ASSERT_EQ(wizard.currentId(), id);
            visit(wizard, "wizard page " + std::to_string(id + 1));
            if (id == ConfigurationWizard::PrinterPage) {
                setText(wizard, "aeTitle", QStringLiteral("AE"));
                setText(wizard, "address", QStringLiteral("host"));
            } else if (id == ConfigurationWizard::PaperPage) {
                setText(wizard, "layoutTitle", QStringLiteral("T"));
                for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
                    child<QComboBox>(wizard, list)->setCurrentIndex(0);
            } else if (id == ConfigurationWizard::ServerPage) {
                setText(wizard, "serverName", QStringLiteral("SRV"));
            }
            wizard.next();
        }
        wizard.hide();
    }

    static void shown(QDialog& dialog, const std::string& name, const Visit& visit)
    {
        dialog.show();
        visit(dialog, name);
        dialog.hide();
    }

    QTabBar* tabs() const { return sheet->tabBar(); }

    // Makes the sheet the active window, as it is for a user at the
    // keyboard; its shortcuts work only then.
    void activate()
    {
        sheet->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    }
    void keys(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(target, key, modifiers);
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(*sheet, name); }
};

} // namespace

TEST_F(KeyboardTest, EveryWindowHasOneDistinctMnemonicPerButtonBoxAndLabelledField)
{
    int windows = 0;
    visitEveryWindow([&windows](QWidget& window, const std::string& name) {
        ++windows;
        EXPECT_EQ(mnemonicFaults(window), QStringList()) << name;
    });
    EXPECT_EQ(windows, 5 + 7 + 5);
}

TEST_F(KeyboardTest, EveryControlHasADistinctAccessibleName)
{
    visitEveryWindow([](QWidget& window, const std::string& name) {
        EXPECT_EQ(accessibilityFaults(window).join(QLatin1Char('\n')).toStdString(), "") << name;
    });
}

TEST_F(KeyboardTest, TabFollowsEveryWindowFromTopToBottomThenItsButtons)
{
    visitEveryWindow([](QWidget& window, const std::string& name) {
        const std::vector<QWidget*> order = inLayoutOrder(window);
        ASSERT_FALSE(order.empty()) << name;
        const std::vector<QWidget*> chain = tabChainFrom(window, order.front());
        EXPECT_EQ(names(chain), names(order)) << name;
        // The arrows of a number field are reached through its keys instead.
        for (QWidget* stop : chain)
            EXPECT_FALSE(qobject_cast<UpDownButtons*>(stop->parentWidget())) << name << ": " << names({stop});
    });
}

TEST_F(KeyboardTest, TheSheetsTabOrderRunsFromTheTabsThroughThePageToItsButtons)
{
    startNew();
    ASSERT_TRUE(sheet->setActivePage(MainSheet::DicomTab));
    // The window begins at the tab bar, as the focus does when it opens.
    const QString chain = QString::fromStdString(names(tabChain(*sheet)));
    EXPECT_TRUE(chain.startsWith(QStringLiteral("sheetTabs printerName acceptGrayscale "))) << chain.toStdString();
#ifdef QUARVEL_DICOM
    EXPECT_TRUE(chain.endsWith(QStringLiteral(" port verifyServer sheetOkButton sheetCancelButton")))
        << chain.toStdString();
#else
    EXPECT_TRUE(chain.endsWith(QStringLiteral(" port sheetOkButton sheetCancelButton"))) << chain.toStdString();
#endif
}

TEST_F(KeyboardTest, MnemonicsReachTheirControls)
{
    startNew();
    ASSERT_TRUE(sheet->setActivePage(MainSheet::DicomTab));
    activate();
    edit("printerName")->setFocus();
    keys(QApplication::focusWidget(), Qt::Key_P, Qt::AltModifier); // "&Port:"
    EXPECT_EQ(QApplication::focusWidget(), edit("port"));
    auto* box = child<QAbstractButton>(*sheet, "supportPrintJob");
    const bool before = box->isChecked();
    keys(QApplication::focusWidget(), Qt::Key_J, Qt::AltModifier); // "Support Print&job"
    QTRY_COMPARE(box->isChecked(), !before);
}

TEST_F(KeyboardTest, CtrlTabAndCtrlPageKeysGoRoundThePages)
{
    startNew();
    activate();
    ASSERT_EQ(activePage(), MainSheet::PrinterTab);
    // From inside the printer list, then from wherever the focus goes.
    child<QWidget>(*sheet, "printerList")->setFocus();
    ASSERT_EQ(QApplication::focusWidget()->objectName(), "printerList");
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page;
    } steps[] = {
        {Qt::Key_Tab, Qt::ControlModifier, MainSheet::PaperTab},
        {Qt::Key_PageDown, Qt::ControlModifier, MainSheet::DicomTab},
        {Qt::Key_PageDown, Qt::ControlModifier, MainSheet::AdditionalSettingsTab},
        {Qt::Key_Tab, Qt::ControlModifier, MainSheet::StartTab}, // round the end
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, MainSheet::AdditionalSettingsTab},
        {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, MainSheet::DicomTab},
        {Qt::Key_PageUp, Qt::ControlModifier, MainSheet::PaperTab},
    };
    for (const auto& step : steps) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        keys(focus, step.key, step.modifiers);
        EXPECT_EQ(activePage(), step.page) << QKeySequence(step.key | step.modifiers).toString().toStdString();
        EXPECT_EQ(tabs()->currentIndex(), step.page);
        EXPECT_TRUE(sheet->activePage()->isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == tabs());
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(KeyboardTest, KeysChangeThePageOnlyWhenThePageAgreesToBeLeft)
{
    startNew();
    ASSERT_TRUE(sheet->setActivePage(MainSheet::DicomTab));
    activate();
    edit("port")->setText(QStringLiteral("70000"));
    edit("printerName")->setFocus();
    QSignalSpy moves(tabs(), &QTabBar::currentChanged);

    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_PageUp}) {
        keys(QApplication::focusWidget(), key, Qt::ControlModifier);
        EXPECT_EQ(activePage(), MainSheet::DicomTab);
        EXPECT_EQ(tabs()->currentIndex(), MainSheet::DicomTab);
        EXPECT_EQ(QApplication::focusWidget(), edit("port")); // as after a refused click
    }
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(moves.count(), 0);

    edit("port")->setText(QStringLiteral("104"));
    keys(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(activePage(), MainSheet::AdditionalSettingsTab);
    EXPECT_EQ(config().Port, 104);
}

TEST_F(KeyboardTest, ARefusedPageChangeNeverMovesTheTabBar)
{
    startNew();
    ASSERT_TRUE(sheet->setActivePage(MainSheet::DicomTab));
    activate();
    edit("port")->setText(QStringLiteral("70000"));
    std::vector<int> tabShownWithMessage;
    ui.onMessage = [this, &tabShownWithMessage](const ScriptedInteraction::Message&) {
        tabShownWithMessage.push_back(tabs()->currentIndex());
    };
    QSignalSpy moves(tabs(), &QTabBar::currentChanged);

    // A click on another tab, the arrow keys and the wheel on the tab bar.
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(MainSheet::PrinterTab).center());
    tabs()->setFocus();
    QTest::keyClick(tabs(), Qt::Key_Left);
    QTest::keyClick(tabs(), Qt::Key_Right);
    turnWheel(tabs(), 120);

    EXPECT_EQ(tabShownWithMessage, std::vector<int>(4, MainSheet::DicomTab));
    EXPECT_EQ(moves.count(), 0);
    EXPECT_EQ(tabs()->currentIndex(), MainSheet::DicomTab);
    EXPECT_EQ(activePage(), MainSheet::DicomTab);

    // Once the page agrees, the same click goes through, and so do the keys.
    edit("port")->setText(QStringLiteral("104"));
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(MainSheet::PrinterTab).center());
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_EQ(tabs()->currentIndex(), MainSheet::PrinterTab);
    tabs()->setFocus();
    QTest::keyClick(tabs(), Qt::Key_Right);
    EXPECT_EQ(activePage(), MainSheet::PaperTab);
    EXPECT_EQ(moves.count(), 2);
    ui.onMessage = nullptr;
}
