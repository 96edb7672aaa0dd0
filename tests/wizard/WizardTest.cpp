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
#include "config/ConfigKeys.h"
#include "config/StandardPaperSizes.h"
#include "config/WizardResult.h"
#include "pages/StartPage.h"
#include "ui/UpDownButtons.h"
#include "wizard/ConfigurationWizard.h"

namespace {

QWizard& asWizard(QDialog& d)
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
ScriptedInteraction::ModalHandler runThrough(Answers answers, QString* summary = nullptr)
{
    return [answers, summary](QDialog& d) {
        QWizard& w = asWizard(d);
        w.next();
        setText(d, "aeTitle", answers.aeTitle);
        setText(d, "address", answers.address);
        if (answers.grayscale)
            child<QCheckBox>(d, "grayscale")->click();
        w.next();
        setText(d, "layoutTitle", answers.layoutTitle);
        child<QComboBox>(d, "paperSize")->setCurrentIndex(13);
        child<QComboBox>(d, "orientation")->setCurrentIndex(1);
        child<QComboBox>(d, "borderDensity")->setCurrentIndex(0);
        child<QComboBox>(d, "emptyDensity")->setCurrentIndex(3);
        w.next();
        setText(d, "serverName", QStringLiteral("RADSRV"));
        if (!answers.acceptGrayscale)
            child<QCheckBox>(d, "acceptGrayscale")->click();
        if (!answers.acceptColor)
            child<QCheckBox>(d, "acceptColor")->click();
        w.next();
        EXPECT_EQ(w.currentId(), ConfigurationWizard::SummaryPage);
        if (summary)
            *summary = child<QPlainTextEdit>(d, "summary")->toPlainText();
        w.button(QWizard::FinishButton)->click();
    };
}

class WizardTest : public SheetTest {
  protected:
    void runWizard() { sheet->startPageWidget()->onConfigurationWizard(); }
    QPushButton* startButton(const char* name) { return child<QPushButton>(*sheet, name); }
};

} // namespace

TEST_F(WizardTest, ProceedAddsThePagesOnceAndShowsThePrinterPage)
{
    QString summary;
    ui.modalHandlers.push_back(runThrough(Answers{}, &summary));
    ui.modalHandlers.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Quarvel");
        EXPECT_EQ(child<QLabel>(d, "message")->text(),
                  "Do you want to save the settings and close the quarvel or do you want to proceed to be able to "
                  "change more settings manually?");
        click(d, "proceedButton");
    });
    runWizard();
    EXPECT_EQ(ui.modalTitles.first(), "Configuration Wizard");
    EXPECT_TRUE(summary.contains("HOST:\t\t\t{IP address or hostname of the ZELNOR server machine}"));
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_FALSE(startButton("wizardButton")->isEnabled());
    EXPECT_FALSE(startButton("manualButton")->isEnabled());
    EXPECT_EQ(sheet->configurationFileName(), "config");
    EXPECT_EQ(config().Printers.at(0)->PrinterQueue, "queue");
    EXPECT_TRUE(config().SupportsColorImage);
    EXPECT_EQ(config().Layout.BorderDensity, "BLACK");
    EXPECT_EQ(config().Layout.EmptyImageDensity, "WHITE");
    EXPECT_DOUBLE_EQ(config().Layout.ImageDistance, 14.17);
}

TEST_F(WizardTest, FinishOnTopOfALoadedConfigurationAppendsDuplicates)
{
    TempDir dir;
    writeBytes(dir.file("site.cfg"), "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-1]\nPrinterAETitle = LASER3\n"
                                     "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n[14INX17IN]\nSizeX = 1008\n");
    startLoad(QString::fromStdString(dir.file("site.cfg")));
    ui.modalHandlers.push_back(runThrough(Answers{.grayscale = true}));
    ui.modalHandlers.push_back(rejectDialog()); // Escape counts as "Proceed"
    runWizard();
    EXPECT_EQ(config().Printers.size(), 2);
    EXPECT_EQ(config().Papers.size(), 2);
    EXPECT_EQ(config().Papers.find("14INX17IN")->SizeX, 1008);
    EXPECT_FALSE(config().SupportsColorImage);
    EXPECT_EQ(sheet->pageCount(), 5);
}

TEST_F(WizardTest, CancelOnThePaperPageChangesNothing)
{
    ui.modalHandlers.push_back([](QDialog& d) {
        QWizard& w = asWizard(d);
        w.next();
        setText(d, "aeTitle", QStringLiteral("AE"));
        setText(d, "address", QStringLiteral("h"));
        w.next();
        EXPECT_EQ(w.currentId(), ConfigurationWizard::PaperPage);
        w.button(QWizard::CancelButton)->click();
    });
    runWizard();
    EXPECT_EQ(config().Printers.size(), 0);
    EXPECT_EQ(sheet->pageCount(), 1);
    EXPECT_TRUE(startButton("wizardButton")->isEnabled());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WizardTest, SaveAndExitSavesAndCloses)
{
    TempDir dir;
    ui.modalHandlers.push_back(runThrough(Answers{}));
    ui.modalHandlers.push_back(clickButton("saveButton"));
    ui.saveResults.push_back(QString::fromStdString(dir.file("config.cfg")));
    ui.modalHandlers.push_back(clickButton("closeButton"));
    runWizard();
    EXPECT_EQ(ui.saveSpecs[0].initialName, "config");
    EXPECT_TRUE(ui.messages.empty()); // the wizard's configuration passes the check
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);

    Configuration back;
    std::string message;
    ASSERT_TRUE(back.loadFromFile(dir.file("config.cfg"), message));
    EXPECT_EQ(back.Layout.PageSize, "14INX17IN");
    EXPECT_EQ(back.Printers.at(0)->PrinterAETitle, "LASER3");
}

TEST_F(WizardTest, ADeclinedCheckAfterTheWizardStaysOnTheFaultsPage)
{
    ui.modalHandlers.push_back(runThrough(Answers{.acceptGrayscale = false, .acceptColor = false}));
    ui.modalHandlers.push_back(clickButton("saveButton"));
    ui.answers.push_back(Interaction::Answer::No);
    runWizard();
    EXPECT_TRUE(ui.lastMessage().text.contains("No print class (BasicColorMetaSOP or BasicGrayscaleMetaSOP)"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(activePage(), MainSheet::DicomTab);
    EXPECT_FALSE(startButton("wizardButton")->isEnabled());
    EXPECT_FALSE(sheet->checkDone());
}

TEST_F(WizardTest, ACancelledSaveDialogAfterTheWizardStaysOnThePrinterPage)
{
    ui.modalHandlers.push_back(runThrough(Answers{}));
    ui.modalHandlers.push_back(clickButton("saveButton"));
    ui.saveResults.push_back(std::nullopt);
    runWizard();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->pageCount(), 5);
    EXPECT_EQ(activePage(), MainSheet::PrinterTab);
    EXPECT_FALSE(startButton("manualButton")->isEnabled());
    EXPECT_EQ(config().Printers.size(), 1);
}

namespace {

// The wizard on its own, for the pages' rules.
class WizardPagesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        wizard = std::make_unique<ConfigurationWizard>(ui, diagnostics, TextEncoding::Windows1252, nullptr);
        wizard->show();
    }
    void TearDown() override { wizard.reset(); }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(*wizard, name); }
    void step(const char* spin, bool up)
    {
        auto* buttons = child<UpDownButtons>(*wizard, spin);
        (up ? buttons->upButton() : buttons->downButton())->click();
    }
    void toPage(int id)
    {
        while (wizard->currentId() < id) {
            if (wizard->currentId() == ConfigurationWizard::PrinterPage) {
                setText(*wizard, "aeTitle", QStringLiteral("AE"));
                setText(*wizard, "address", QStringLiteral("h"));
            } else if (wizard->currentId() == ConfigurationWizard::PaperPage) {
                setText(*wizard, "layoutTitle", QStringLiteral("T"));
                for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
                    child<QComboBox>(*wizard, list)->setCurrentIndex(0);
            }
            const int before = wizard->currentId();
            wizard->next();
            ASSERT_NE(wizard->currentId(), before);
        }
    }

    ScriptedInteraction ui;
    FakeDiagnostics diagnostics;
    std::unique_ptr<ConfigurationWizard> wizard;
};

} // namespace

TEST_F(WizardPagesTest, NameDefaultsToConfigAndAnEmptyNameIsRefused)
{
    EXPECT_EQ(wizard->windowTitle(), "Configuration Wizard");
    EXPECT_EQ(edit("configurationName")->text(), "config");
    EXPECT_EQ(caption(wizard->buttonText(QWizard::NextButton)), "Next");
    EXPECT_FALSE(wizard->button(QWizard::BackButton)->isEnabled());
    edit("configurationName")->clear();
    wizard->next();
    EXPECT_EQ(wizard->currentId(), ConfigurationWizard::NamePage);
    EXPECT_EQ(ui.lastMessage().text, "No name for the configuration entered.\nPlease, enter a name.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Error);
    edit("configurationName")->setText(QStringLiteral(" my cfg"));
    wizard->next();
    EXPECT_EQ(wizard->result().ConfigurationName, " my cfg");
}

TEST_F(WizardPagesTest, TheQueueIsDerivedAgainOnEveryActivation)
{
    toPage(ConfigurationWizard::PrinterPage);
    auto* note = child<QLabel>(*wizard, "note");
    EXPECT_EQ(edit("queue")->text(), "queue");
    EXPECT_FALSE(edit("queue")->isEnabled());
    EXPECT_TRUE(note->isHidden());
    EXPECT_EQ(note->text(), "NOTE: Make sure the machine with the printer attached  has the LPR service running. "
                            "Refer to the 'Get started' manual chapter 3. ");

    child<QRadioButton>(*wizard, "localPrinter")->click();
    EXPECT_EQ(edit("queue")->text(), "");
    EXPECT_TRUE(edit("queue")->isEnabled());
    EXPECT_FALSE(note->isHidden());
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Missing values.\nPlease, fill out all edit fields.");
    setText(*wizard, "aeTitle", QStringLiteral("AE"));
    setText(*wizard, "address", QStringLiteral("printsrv"));
    setText(*wizard, "queue", QStringLiteral("SHARE"));
    wizard->next();
    EXPECT_EQ(wizard->currentId(), ConfigurationWizard::PaperPage);
    EXPECT_EQ(wizard->result().PrinterQueue, "SHARE");
    EXPECT_EQ(wizard->result().PrinterDescription, "");

    wizard->back();
    EXPECT_EQ(edit("queue")->text(), "");
    EXPECT_EQ(edit("aeTitle")->text(), "AE");
    child<QRadioButton>(*wizard, "networkPrinter")->click();
    EXPECT_EQ(edit("queue")->text(), "queue");
    EXPECT_FALSE(edit("queue")->isEnabled());
}

TEST_F(WizardPagesTest, PingShowsTheBusyCursorAndTheReport)
{
    toPage(ConfigurationWizard::PrinterPage);
    setText(*wizard, "address", QStringLiteral("10.0.0.9"));
    diagnostics.reachable = false;
    click(*wizard, "pingButton");
    EXPECT_EQ(diagnostics.pinged, std::vector<std::string>{"10.0.0.9"});
    EXPECT_EQ(ui.busyCount, 1);
    EXPECT_EQ(ui.busyDepth, 0);
    EXPECT_EQ(ui.lastMessage().text, "FAILED!\n\nPing to '10.0.0.9' failed.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
}

TEST_F(WizardPagesTest, PaperPageChecksTheNumberFirstAndSpinsWithinItsBounds)
{
    toPage(ConfigurationWizard::PaperPage);
    EXPECT_EQ(edit("imageDistance")->text(), "14.17");
    EXPECT_EQ(child<QComboBox>(*wizard, "paperSize")->currentIndex(), -1);
    EXPECT_EQ(child<QComboBox>(*wizard, "borderDensity")->itemText(2), "150");
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Missing values. Please, make a selection in all fields.");

    setText(*wizard, "layoutTitle", QStringLiteral("T"));
    for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
        child<QComboBox>(*wizard, list)->setCurrentIndex(1);
    edit("imageDistance")->clear();
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
    EXPECT_EQ(wizard->currentId(), ConfigurationWizard::PaperPage);

    edit("imageDistance")->setText(QStringLiteral("0.005"));
    step("imageDistanceSpin", false);
    EXPECT_EQ(edit("imageDistance")->text(), "-0.005");
    step("imageDistanceSpin", false);
    EXPECT_EQ(edit("imageDistance")->text(), "-0.005");
    step("imageDistanceSpin", true);
    EXPECT_EQ(edit("imageDistance")->text(), "0.005");
    QTest::keyClick(edit("imageDistance"), Qt::Key_Up);
    EXPECT_EQ(edit("imageDistance")->text(), "0.015");
    turnWheel(edit("imageDistance"), -120);
    EXPECT_EQ(edit("imageDistance")->text(), "0.005");

    // Typed text left with "Back" is replaced by the values last read.
    setText(*wizard, "layoutTitle", QStringLiteral("typed"));
    wizard->back();
    wizard->next();
    EXPECT_EQ(edit("layoutTitle")->text(), "T");
}

TEST_F(WizardPagesTest, ServerPageStartsAt104AndRefusesPortsOutside1To65000)
{
    toPage(ConfigurationWizard::ServerPage);
    EXPECT_EQ(edit("port")->text(), "104");
    EXPECT_TRUE(child<QCheckBox>(*wizard, "acceptGrayscale")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*wizard, "acceptColor")->isChecked());
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Please, fill in a name.");

    setText(*wizard, "serverName", QStringLiteral("RAD"));
    const QString portMessage = QStringLiteral(
        "Please, use a port between 1 and 65000. Make sure the port is not in use\nby another application. The "
        "ZELNOR server will not work if the selected port\nis already in use.");
    edit("port")->setText(QStringLiteral("1"));
    step("portSpin", false);
    EXPECT_EQ(edit("port")->text(), "0");
    step("portSpin", false);
    EXPECT_EQ(edit("port")->text(), "0");
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, portMessage);
    edit("port")->setText(QStringLiteral("65001"));
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, portMessage);
    edit("port")->setText(QStringLiteral("65000"));
    step("portSpin", true);
    EXPECT_EQ(edit("port")->text(), "65000");
    // The keys and the wheel in the field step within the same bounds.
    QTest::keyClick(edit("port"), Qt::Key_Up);
    EXPECT_EQ(edit("port")->text(), "65000");
    QTest::keyClick(edit("port"), Qt::Key_Down);
    EXPECT_EQ(edit("port")->text(), "64999");
    edit("port")->setText(QStringLiteral("1"));
    turnWheel(edit("port"), -240);
    EXPECT_EQ(edit("port")->text(), "0");
    turnWheel(edit("port"), 120);
    EXPECT_EQ(edit("port")->text(), "1");
    edit("port")->clear();
    wizard->next();
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    edit("port")->setText(QStringLiteral("65000"));
    wizard->next();
    EXPECT_EQ(wizard->currentId(), ConfigurationWizard::SummaryPage);
    EXPECT_EQ(wizard->result().Port, 65000);
    EXPECT_EQ(caption(wizard->buttonText(QWizard::FinishButton)), "Finish");
    EXPECT_TRUE(wizard->button(QWizard::FinishButton)->isEnabled());
}

TEST_F(WizardPagesTest, ServerPageTakesItsPortsFromTheKeyTable)
{
    const Bounds<int> ports = *ruleOf(&DicomSettings::Port).newServerAccepted;
    toPage(ConfigurationWizard::ServerPage);
    setText(*wizard, "serverName", QStringLiteral("RAD"));
    for (const int outside : {ports.low - 1, ports.high + 1}) {
        edit("port")->setText(QString::number(outside));
        wizard->next();
        EXPECT_EQ(wizard->currentId(), ConfigurationWizard::ServerPage) << outside;
        EXPECT_TRUE(ui.lastMessage().text.startsWith(
            QStringLiteral("Please, use a port between %1 and %2.").arg(ports.low).arg(ports.high)));
    }
    // The buttons stop at the top of the range.
    edit("port")->setText(QString::number(ports.high));
    step("portSpin", true);
    EXPECT_EQ(edit("port")->text(), QString::number(ports.high));
    for (const int inside : {ports.high, ports.low}) {
        edit("port")->setText(QString::number(inside));
        wizard->next();
        EXPECT_EQ(wizard->currentId(), ConfigurationWizard::SummaryPage) << inside;
        EXPECT_EQ(wizard->result().Port, inside);
        wizard->back();
    }
}

TEST_F(WizardTest, EveryAnswerLandsInItsOwnPlace)
{
    // Distinct values, none of them a default, with grayscale and colour
    // classes set apart and the printer kind chosen local.
    ui.modalHandlers.push_back([](QDialog& d) {
        QWizard& w = asWizard(d);
        setText(d, "configurationName", QStringLiteral("ward7"));
        w.next();
        setText(d, "description", QStringLiteral("Film printer ward 7"));
        setText(d, "aeTitle", QStringLiteral("WARD7FILM"));
        child<QCheckBox>(d, "grayscale")->click();
        child<QRadioButton>(d, "localPrinter")->click();
        setText(d, "address", QStringLiteral("10.7.7.7"));
        setText(d, "queue", QStringLiteral("film_raw"));
        w.next();
        setText(d, "layoutTitle", QStringLiteral("11INX14IN"));
        child<QComboBox>(d, "paperSize")->setCurrentIndex(8); // Tabloid-sized, not the A4 default
        child<QComboBox>(d, "orientation")->setCurrentIndex(1);
        child<QComboBox>(d, "borderDensity")->setCurrentIndex(1);
        child<QComboBox>(d, "emptyDensity")->setCurrentIndex(2);
        setText(d, "imageDistance", QStringLiteral("21.5"));
        child<QCheckBox>(d, "trim")->click();
        w.next();
        setText(d, "serverName", QStringLiteral("WARD7SRV"));
        setText(d, "port", QStringLiteral("4242"));
        child<QCheckBox>(d, "acceptColor")->click();
        w.next();
        ASSERT_EQ(w.currentId(), ConfigurationWizard::SummaryPage);
        w.button(QWizard::FinishButton)->click();
    });
    ui.modalHandlers.push_back(rejectDialog()); // proceed
    runWizard();

    EXPECT_EQ(sheet->configurationFileName(), "ward7");
    const Configuration& c = config();
    ASSERT_EQ(c.Printers.size(), 1);
    const PrinterRecord& p = *c.Printers.at(0);
    EXPECT_EQ(p.Description, "Film printer ward 7");
    EXPECT_EQ(p.PrinterAETitle, "WARD7FILM");
    EXPECT_EQ(p.PrinterAddress, "10.7.7.7");
    EXPECT_EQ(p.PrinterQueue, "film_raw");
    EXPECT_FALSE(c.SupportsColorImage);
    ASSERT_EQ(c.Papers.size(), 1);
    const PaperRecord& paper = *c.Papers.at(0);
    EXPECT_EQ(paper.Name, "11INX14IN");
    EXPECT_EQ(paper.SizeX, lookupStandardPaperSizeForWizard(8).width);
    EXPECT_EQ(paper.SizeY, lookupStandardPaperSizeForWizard(8).height);
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
