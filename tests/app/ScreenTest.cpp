// The sheet and the wizard on the screen they are given: the offscreen
// platform's own, or one that ctest sets up (a small screen, a laptop at
// 125 %, a scale factor of 2).
#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWizard>

#include "GuiFixture.h"
#include "WindowWalk.h"
#include "ui/PageScrollArea.h"
#include "ui/PropertyPage.h"
#include "wizard/ConfigurationWizard.h"

namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QRect globalRect(const QWidget* widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

class ScreenTest : public SheetTest {
  protected:
    void SetUp() override
    {
        // The screen ctest asked for, so that a lost setting cannot pass as
        // the platform's default screen.
        const QString expected = qEnvironmentVariable("QUARVEL_SCREEN");
        if (!expected.isEmpty()) {
            const QSize size = available().size();
            ASSERT_EQ(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), expected);
        }
        SheetTest::SetUp();
    }

    // The window lies in the free area, its buttons whole within it.
    static void expectInView(QWidget& window, const std::vector<QAbstractButton*>& buttons, const std::string& name)
    {
        const QRect freeArea = available();
        EXPECT_TRUE(freeArea.contains(window.frameGeometry()))
            << name << ": frame " << window.frameGeometry().width() << "x" << window.frameGeometry().height() << " at "
            << window.frameGeometry().x() << "," << window.frameGeometry().y();
        for (const QAbstractButton* button : buttons) {
            if (!button->isVisibleTo(&window))
                continue;
            EXPECT_TRUE(freeArea.contains(globalRect(button))) << name << ": " << button->objectName().toStdString();
            EXPECT_TRUE(window.rect().contains(QRect(button->mapTo(&window, QPoint(0, 0)), button->size())))
                << name << ": " << button->objectName().toStdString();
        }
    }

    // The page scrolls where it does not fit: its last control, given the
    // focus, comes into view.
    static void expectLastControlReachable(QWidget& window, QWidget& page, PageScrollArea& area,
                                           const std::string& name)
    {
        std::vector<QWidget*> stops;
        for (QWidget* stop : inLayoutOrder(window))
            if (page.isAncestorOf(stop) && stop->isEnabled())
                stops.push_back(stop);
        if (stops.empty())
            return;
        QWidget* last = stops.back();
        last->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), last) << name;
        const QRect inViewport(last->mapTo(area.viewport(), QPoint(0, 0)), last->size());
        EXPECT_TRUE(area.viewport()->rect().contains(inViewport)) << name << ": " << last->objectName().toStdString();
        if (area.widget()->height() > area.viewport()->height()) {
            EXPECT_TRUE(area.verticalScrollBar()->isVisible()) << name;
        }
        // A page that scrolls up and down need not scroll sideways as well
        // where the screen is wide enough.
        const int wide = window.sizeHint().width() + 2 * area.verticalScrollBar()->sizeHint().width();
        if (wide < available().width()) {
            EXPECT_FALSE(area.horizontalScrollBar()->isVisible()) << name;
        }
    }
};

} // namespace

TEST_F(ScreenTest, TheSheetFitsTheScreenWithItsButtonsInViewAndItsPagesScroll)
{
#ifdef _WIN32
    GTEST_SKIP() << "the offscreen platform of Qt for Windows finds no fonts (Qt ships none), so its text and layout "
                    "sizes are not Linux's";
#endif
    startNew();
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    for (int i = 0; i < sheet->pageCount(); ++i) {
        ASSERT_TRUE(sheet->setActivePage(i));
        const std::string name = "sheet page " + std::to_string(i);
        expectInView(*sheet, {sheet->okButton(), sheet->cancelButton()}, name);
        expectLastControlReachable(*sheet, *sheet->activePage(), *sheet->pageArea(), name);
    }
    // Where the screen has room, nothing scrolls: the largest page is whole.
    const QSize wanted = sheet->sizeHint().grownBy(QMargins(4, 32, 4, 4));
    if (wanted.height() <= available().height() && wanted.width() <= available().width()) {
        EXPECT_FALSE(sheet->pageArea()->verticalScrollBar()->isVisible());
        EXPECT_FALSE(sheet->pageArea()->horizontalScrollBar()->isVisible());
    }
}

TEST_F(ScreenTest, TheWizardFitsTheScreenWithItsButtonsInView)
{
    ConfigurationWizard wizard(ui, diagnostics, TextEncoding::Windows1252, sheet.get());
    wizard.show();
    wizard.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard));
    std::vector<QAbstractButton*> buttons;
    for (QWizard::WizardButton which :
         {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton})
        buttons.push_back(wizard.button(which));
    for (int id : wizard.pageIds()) {
        ASSERT_EQ(wizard.currentId(), id);
        QApplication::processEvents(); // the page just shown is laid out
        const std::string name = "wizard page " + std::to_string(id + 1);
        expectInView(wizard, buttons, name);
        auto* area = wizard.currentPage()->findChild<PageScrollArea*>();
        ASSERT_TRUE(area) << name;
        expectLastControlReachable(wizard, *wizard.currentPage(), *area, name);
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
