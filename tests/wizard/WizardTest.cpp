#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QWizard>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "app/Page0Start.h"
#include "config/StandardPaperSizes.h"
#include "config/WizardResult.h"
#include "ui/UpDownButtons.h"
#include "wizard/ConfigurationWizard.h"

namespace {

QWizard& AsWizard(QDialog& d)
{
    return static_cast<QWizard&>(d);
}

struct Answers {
    QString aeTitle = QStringLiteral("LASER3");
    QString address = QStringLiteral("10.0.0.9");
    QString layoutTitle = QStringLiteral("14INX17IN");
    bool grayscale = false;
    bool acceptGrayscale = true;
    bool acceptColor = true;
};

// Goes through the five pages with valid answers, ending with Finish.
ScriptedInteraction::ModalHandler RunThrough(Answers answers, QString* summary = nullptr)
{
    return [answers, summary](QDialog& d) {
        QWizard& w = AsWizard(d);
        w.next();
        SetText(d, "aeTitle", answers.aeTitle);
        SetText(d, "address", answers.address);
        if (answers.grayscale)
            Child<QCheckBox>(d, "grayscale")->click();
        w.next();
        SetText(d, "layoutTitle", answers.layoutTitle);
        Child<QComboBox>(d, "paperSize")->setCurrentIndex(13);
        Child<QComboBox>(d, "orientation")->setCurrentIndex(1);
        Child<QComboBox>(d, "borderDensity")->setCurrentIndex(0);
        Child<QComboBox>(d, "emptyDensity")->setCurrentIndex(3);
        w.next();
        SetText(d, "serverName", QStringLiteral("RADSRV"));
        if (!answers.acceptGrayscale)
            Child<QCheckBox>(d, "acceptGrayscale")->click();
        if (!answers.acceptColor)
            Child<QCheckBox>(d, "acceptColor")->click();
        w.next();
        EXPECT_EQ(w.currentId(), CConfigurationWizard::SummaryPage);
        if (summary)
            *summary = Child<QPlainTextEdit>(d, "summary")->toPlainText();
        w.button(QWizard::FinishButton)->click();
    };
}

class WizardTest : public SheetTest {
  protected:
    void RunWizard() { sheet->StartPageWidget()->OnConfigurationWizard(); }
    QPushButton* StartButton(const char* name) { return Child<QPushButton>(*sheet, name); }
};

} // namespace

TEST_F(WizardTest, ProceedAddsThePagesOnceAndShowsThePrinterPage)
{
    QString summary;
    ui.modalHandlers.push_back(RunThrough(Answers{}, &summary));
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Quarvel");
        EXPECT_EQ(Child<QLabel>(d, "message")->text(),
                  "Do you want to save the settings and close the quarvel or do you want to proceed to be able to "
                  "change more settings manually?");
        Click(d, "proceedButton");
    });
    RunWizard();
    EXPECT_EQ(ui.modalTitles.first(), "Configuration Wizard");
    EXPECT_TRUE(summary.contains("HOST:\t\t\t{IP address or hostname of the ZELNOR server machine}"));
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(ActivePage(), CQuarvel::PrinterPage);
    EXPECT_FALSE(StartButton("wizardButton")->isEnabled());
    EXPECT_FALSE(StartButton("manualButton")->isEnabled());
    EXPECT_EQ(sheet->configurationFileName(), "config");
    EXPECT_EQ(Config().Printers.GetAt(0)->PrinterQueue, "queue");
    EXPECT_TRUE(Config().SupportsColorImage);
    EXPECT_EQ(Config().Layout.BorderDensity, "BLACK");
    EXPECT_EQ(Config().Layout.EmptyImageDensity, "WHITE");
    EXPECT_DOUBLE_EQ(Config().Layout.ImageDistance, 14.17);
}

TEST_F(WizardTest, FinishOnTopOfALoadedConfigurationAppendsDuplicates)
{
    TempDir dir;
    WriteBytes(dir.file("site.cfg"), "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-1]\nPrinterAETitle = LASER3\n"
                                     "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n[14INX17IN]\nSizeX = 1008\n");
    StartLoad(QString::fromStdString(dir.file("site.cfg")));
    ui.modalHandlers.push_back(RunThrough(Answers{.grayscale = true}));
    ui.modalHandlers.push_back(RejectDialog()); // Escape counts as "Proceed"
    RunWizard();
    EXPECT_EQ(Config().Printers.GetCount(), 2);
    EXPECT_EQ(Config().Papers.GetCount(), 2);
    EXPECT_EQ(Config().Papers.Find("14INX17IN")->SizeX, 1008);
    EXPECT_FALSE(Config().SupportsColorImage);
    EXPECT_EQ(sheet->pageCount(), 5);
}

TEST_F(WizardTest, CancelOnThePaperPageChangesNothing)
{
    ui.modalHandlers.push_back([](QDialog& d) {
        QWizard& w = AsWizard(d);
        w.next();
        SetText(d, "aeTitle", QStringLiteral("AE"));
        SetText(d, "address", QStringLiteral("h"));
        w.next();
        EXPECT_EQ(w.currentId(), CConfigurationWizard::PaperPage);
        w.button(QWizard::CancelButton)->click();
    });
    RunWizard();
    EXPECT_EQ(Config().Printers.GetCount(), 0);
    EXPECT_EQ(sheet->pageCount(), 1);
    EXPECT_TRUE(StartButton("wizardButton")->isEnabled());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WizardTest, SaveAndExitSavesAndCloses)
{
    TempDir dir;
    ui.modalHandlers.push_back(RunThrough(Answers{}));
    ui.modalHandlers.push_back(ClickButton("saveButton"));
    ui.saveResults.push_back(QString::fromStdString(dir.file("config.cfg")));
    ui.modalHandlers.push_back(ClickButton("closeButton"));
    RunWizard();
    EXPECT_EQ(ui.saveSpecs[0].initialName, "config");
    EXPECT_TRUE(ui.messages.empty()); // the wizard's configuration passes the check
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);

    CConfiguration back;
    std::string message;
    ASSERT_TRUE(back.LoadFromFile(dir.file("config.cfg"), message));
    EXPECT_EQ(back.Layout.PageSize, "14INX17IN");
    EXPECT_EQ(back.Printers.GetAt(0)->PrinterAETitle, "LASER3");
}

TEST_F(WizardTest, ADeclinedCheckAfterTheWizardStaysOnTheFaultsPage)
{
    ui.modalHandlers.push_back(RunThrough(Answers{.acceptGrayscale = false, .acceptColor = false}));
    ui.modalHandlers.push_back(ClickButton("saveButton"));
    ui.answers.push_back(Interaction::Answer::No);
    RunWizard();
    EXPECT_TRUE(ui.lastMessage().text.contains("No print class (BasicColorMetaSOP or BasicGrayscaleMetaSOP)"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(ActivePage(), CQuarvel::DicomPage);
    EXPECT_FALSE(StartButton("wizardButton")->isEnabled());
    EXPECT_FALSE(sheet->checkDone());
}

TEST_F(WizardTest, ACancelledSaveDialogAfterTheWizardStaysOnThePrinterPage)
{
    ui.modalHandlers.push_back(RunThrough(Answers{}));
    ui.modalHandlers.push_back(ClickButton("saveButton"));
    ui.saveResults.push_back(std::nullopt);
    RunWizard();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(ActivePage(), CQuarvel::PrinterPage);
    EXPECT_FALSE(StartButton("manualButton")->isEnabled());
    EXPECT_EQ(Config().Printers.GetCount(), 1);
}

namespace {

// The wizard on its own, for the pages' rules.
class WizardPagesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        wizard = std::make_unique<CConfigurationWizard>(ui, diagnostics, nullptr);
        wizard->show();
    }
    void TearDown() override { wizard.reset(); }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*wizard, name); }
    void Step(const char* spin, bool up)
    {
        auto* buttons = Child<UpDownButtons>(*wizard, spin);
        (up ? buttons->upButton() : buttons->downButton())->click();
    }
    void ToPage(int id)
    {
        while (wizard->currentId() < id) {
            if (wizard->currentId() == CConfigurationWizard::PrinterPage) {
                SetText(*wizard, "aeTitle", QStringLiteral("AE"));
                SetText(*wizard, "address", QStringLiteral("h"));
            } else if (wizard->currentId() == CConfigurationWizard::PaperPage) {
                SetText(*wizard, "layoutTitle", QStringLiteral("T"));
                for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
                    Child<QComboBox>(*wizard, list)->setCurrentIndex(0);
            }
            const int before = wizard->currentId();
            wizard->next();
            ASSERT_NE(wizard->currentId(), before);
        }
    }

    ScriptedInteraction ui;
    FakeDiagnostics diagnostics;
    std::unique_ptr<CConfigurationWizard> wizard;
};

} // namespace

TEST_F(WizardPagesTest, NameDefaultsToConfigAndAnEmptyNameIsRefused)
{
    EXPECT_EQ(wizard->windowTitle(), "Configuration Wizard");
    EXPECT_EQ(Edit("configurationName")->text(), "config");
    EXPECT_EQ(Caption(wizard->buttonText(QWizard::NextButton)), "Next");
    EXPECT_FALSE(wizard->button(QWizard::BackButton)->isEnabled());
    Edit("configurationName")->clear();
    wizard->next();
    EXPECT_EQ(wizard->currentId(), CConfigurationWizard::NamePage);
    EXPECT_EQ(ui.lastMessage().text, "No name for the configuration entered.\nPlease, enter a name.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
    Edit("configurationName")->setText(QStringLiteral(" my cfg"));
    wizard->next();
    EXPECT_EQ(wizard->Result().ConfigurationName, " my cfg");
}

TEST_F(WizardPagesTest, TheQueueIsDerivedAgainOnEveryActivation)
{
    ToPage(CConfigurationWizard::PrinterPage);
    auto* note = Child<QLabel>(*wizard, "note");
    EXPECT_EQ(Edit("queue")->text(), "queue");
    EXPECT_FALSE(Edit("queue")->isEnabled());
    EXPECT_TRUE(note->isHidden());
    EXPECT_EQ(note->text(), "NOTE: Make sure the machine with the printer attached  has the LPR service running. "
                            "Refer to the 'Get started' manual chapter 3. ");

    Child<QRadioButton>(*wizard, "localPrinter")->click();
    EXPECT_EQ(Edit("queue")->text(), "");
    EXPECT_TRUE(Edit("queue")->isEnabled());
    EXPECT_FALSE(note->isHidden());
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Missing values.\nPlease, fill out all edit fields.");
    SetText(*wizard, "aeTitle", QStringLiteral("AE"));
    SetText(*wizard, "address", QStringLiteral("printsrv"));
    SetText(*wizard, "queue", QStringLiteral("SHARE"));
    wizard->next();
    EXPECT_EQ(wizard->currentId(), CConfigurationWizard::PaperPage);
    EXPECT_EQ(wizard->Result().PrinterQueue, "SHARE");
    EXPECT_EQ(wizard->Result().PrinterDescription, "");

    wizard->back();
    EXPECT_EQ(Edit("queue")->text(), "");
    EXPECT_EQ(Edit("aeTitle")->text(), "AE");
    Child<QRadioButton>(*wizard, "networkPrinter")->click();
    EXPECT_EQ(Edit("queue")->text(), "queue");
    EXPECT_FALSE(Edit("queue")->isEnabled());
}

TEST_F(WizardPagesTest, PingShowsTheBusyCursorAndTheReport)
{
    ToPage(CConfigurationWizard::PrinterPage);
    SetText(*wizard, "address", QStringLiteral("10.0.0.9"));
    diagnostics.reachable = false;
    Click(*wizard, "pingButton");
    EXPECT_EQ(diagnostics.pinged, std::vector<std::string>{"10.0.0.9"});
    EXPECT_EQ(ui.busyCount, 1);
    EXPECT_EQ(ui.busyDepth, 0);
    EXPECT_EQ(ui.lastMessage().text, "FAILED!\n\nPing to '10.0.0.9' failed.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
}

TEST_F(WizardPagesTest, PaperPageChecksTheNumberFirstAndSpinsWithinItsBounds)
{
    ToPage(CConfigurationWizard::PaperPage);
    EXPECT_EQ(Edit("imageDistance")->text(), "14.17");
    EXPECT_EQ(Child<QComboBox>(*wizard, "paperSize")->currentIndex(), -1);
    EXPECT_EQ(Child<QComboBox>(*wizard, "borderDensity")->itemText(2), "150");
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Missing values. Please, make a selection in all fields.");

    SetText(*wizard, "layoutTitle", QStringLiteral("T"));
    for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
        Child<QComboBox>(*wizard, list)->setCurrentIndex(1);
    Edit("imageDistance")->clear();
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
    EXPECT_EQ(wizard->currentId(), CConfigurationWizard::PaperPage);

    Edit("imageDistance")->setText(QStringLiteral("0.005"));
    Step("imageDistanceSpin", false);
    EXPECT_EQ(Edit("imageDistance")->text(), "-0.005");
    Step("imageDistanceSpin", false);
    EXPECT_EQ(Edit("imageDistance")->text(), "-0.005");
    Step("imageDistanceSpin", true);
    EXPECT_EQ(Edit("imageDistance")->text(), "0.005");
    QTest::keyClick(Edit("imageDistance"), Qt::Key_Up);
    EXPECT_EQ(Edit("imageDistance")->text(), "0.015");
    TurnWheel(Edit("imageDistance"), -120);
    EXPECT_EQ(Edit("imageDistance")->text(), "0.005");

    // Typed text left with "Back" is replaced by the values last read.
    SetText(*wizard, "layoutTitle", QStringLiteral("typed"));
    wizard->back();
    wizard->next();
    EXPECT_EQ(Edit("layoutTitle")->text(), "T");
}

TEST_F(WizardPagesTest, ServerPageStartsAt104AndRefusesPortsOutside1To65000)
{
    ToPage(CConfigurationWizard::ServerPage);
    EXPECT_EQ(Edit("port")->text(), "104");
    EXPECT_TRUE(Child<QCheckBox>(*wizard, "acceptGrayscale")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(*wizard, "acceptColor")->isChecked());
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Please, fill in a name.");

    SetText(*wizard, "serverName", QStringLiteral("RAD"));
    const QString portMessage = QStringLiteral(
        "Please, use a port between 1 and 65000. Make sure the port is not in use\nby another application. The "
        "ZELNOR server will not work if the selected port\nis already in use.");
    Edit("port")->setText(QStringLiteral("1"));
    Step("portSpin", false);
    EXPECT_EQ(Edit("port")->text(), "0");
    Step("portSpin", false);
    EXPECT_EQ(Edit("port")->text(), "0");
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, portMessage);
    Edit("port")->setText(QStringLiteral("65001"));
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, portMessage);
    Edit("port")->setText(QStringLiteral("65000"));
    Step("portSpin", true);
    EXPECT_EQ(Edit("port")->text(), "65000");
    // The keys and the wheel in the field step within the same bounds.
    QTest::keyClick(Edit("port"), Qt::Key_Up);
    EXPECT_EQ(Edit("port")->text(), "65000");
    QTest::keyClick(Edit("port"), Qt::Key_Down);
    EXPECT_EQ(Edit("port")->text(), "64999");
    Edit("port")->setText(QStringLiteral("1"));
    TurnWheel(Edit("port"), -240);
    EXPECT_EQ(Edit("port")->text(), "0");
    TurnWheel(Edit("port"), 120);
    EXPECT_EQ(Edit("port")->text(), "1");
    Edit("port")->clear();
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    Edit("port")->setText(QStringLiteral("65000"));
    wizard->next();
    EXPECT_EQ(wizard->currentId(), CConfigurationWizard::SummaryPage);
    EXPECT_EQ(wizard->Result().Port, 65000);
    EXPECT_EQ(Caption(wizard->buttonText(QWizard::FinishButton)), "Finish");
    EXPECT_TRUE(wizard->button(QWizard::FinishButton)->isEnabled());
}

TEST_F(WizardTest, EveryAnswerLandsInItsOwnPlace)
{
    // Distinct values, none of them a default, with grayscale and colour
    // classes set apart and the printer kind chosen local.
    ui.modalHandlers.push_back([](QDialog& d) {
        QWizard& w = AsWizard(d);
        SetText(d, "configurationName", QStringLiteral("ward7"));
        w.next();
        SetText(d, "description", QStringLiteral("Film printer ward 7"));
        SetText(d, "aeTitle", QStringLiteral("WARD7FILM"));
        Child<QCheckBox>(d, "grayscale")->click();
        Child<QRadioButton>(d, "localPrinter")->click();
        SetText(d, "address", QStringLiteral("10.7.7.7"));
        SetText(d, "queue", QStringLiteral("film_raw"));
        w.next();
        SetText(d, "layoutTitle", QStringLiteral("11INX14IN"));
        Child<QComboBox>(d, "paperSize")->setCurrentIndex(8); // Tabloid-sized, not the A4 default
        Child<QComboBox>(d, "orientation")->setCurrentIndex(1);
        Child<QComboBox>(d, "borderDensity")->setCurrentIndex(1);
        Child<QComboBox>(d, "emptyDensity")->setCurrentIndex(2);
        SetText(d, "imageDistance", QStringLiteral("21.5"));
        Child<QCheckBox>(d, "trim")->click();
        w.next();
        SetText(d, "serverName", QStringLiteral("WARD7SRV"));
        SetText(d, "port", QStringLiteral("4242"));
        Child<QCheckBox>(d, "acceptColor")->click();
        w.next();
        ASSERT_EQ(w.currentId(), CConfigurationWizard::SummaryPage);
        w.button(QWizard::FinishButton)->click();
    });
    ui.modalHandlers.push_back(RejectDialog()); // proceed
    RunWizard();

    EXPECT_EQ(sheet->configurationFileName(), "ward7");
    const CConfiguration& c = Config();
    ASSERT_EQ(c.Printers.GetCount(), 1);
    const sPrinter& p = *c.Printers.GetAt(0);
    EXPECT_EQ(p.Description, "Film printer ward 7");
    EXPECT_EQ(p.PrinterAETitle, "WARD7FILM");
    EXPECT_EQ(p.PrinterAddress, "10.7.7.7");
    EXPECT_EQ(p.PrinterQueue, "film_raw");
    EXPECT_FALSE(c.SupportsColorImage);
    ASSERT_EQ(c.Papers.GetCount(), 1);
    const sPaper& paper = *c.Papers.GetAt(0);
    EXPECT_EQ(paper.Name, "11INX14IN");
    EXPECT_EQ(paper.SizeX, LookupStandardPaperSizeForWizard(8).width);
    EXPECT_EQ(paper.SizeY, LookupStandardPaperSizeForWizard(8).height);
    EXPECT_EQ(c.Layout.PageSize, "11INX14IN");
    EXPECT_EQ(c.Layout.Orientation, 1);
    EXPECT_EQ(c.Layout.BorderDensity, "40");
    EXPECT_EQ(c.Layout.EmptyImageDensity, "150");
    EXPECT_DOUBLE_EQ(c.Layout.ImageDistance, 21.5);
    EXPECT_TRUE(c.Layout.Trim);
    EXPECT_EQ(c.PrinterName, "WARD7SRV");
    EXPECT_EQ(c.Port, 4242);
    EXPECT_TRUE(c.BasicGrayscaleMetaSOPClass);
    EXPECT_FALSE(c.BasicColorMetaSOPClass);
}
