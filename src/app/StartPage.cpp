#include "app/StartPage.h"

#include "app/MainSheet.h"
#include "app/ManualStartDialog.h"
#include "config/ConfigurationCheck.h"
#include "ui/Artwork.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui_StartPage.h"
#include "wizard/ConfigurationWizard.h"

namespace {

const char* const kOpenFilter = "Configuration files (*.cfg);;All Files (*.*)";

} // namespace

StartPage::StartPage(MainSheet& sheet)
    : ConfigPage(sheet, &sheet), m_sheet(sheet), m_ui(std::make_unique<Ui::StartPage>())
{
    m_ui->setupUi(this);
    m_ui->logo->setPixmap(Artwork::logo(this));
    m_ui->picture->setPixmap(Artwork::physician(this));
    connect(m_ui->wizardButton, &QPushButton::clicked, this, &StartPage::onConfigurationWizard);
    connect(m_ui->manualButton, &QPushButton::clicked, this, &StartPage::onManualConfiguration);
}

StartPage::~StartPage() = default;

void StartPage::onSetActive()
{
    clearCheckDone();
}

void StartPage::onManualConfiguration()
{
    ManualStartDialog dialog(this);
    if (interaction().runModal(dialog) == QDialog::Accepted)
        onNew();
    else
        onLoad();
}

void StartPage::onNew()
{
    enterConfiguring(false, MainSheet::PrinterTab);
}

void StartPage::onLoad()
{
    Interaction::FileDialogOptions options;
    options.filter = QString::fromLatin1(kOpenFilter);
    options.defaultSuffix = QStringLiteral("cfg");
    options.initialName = QStringLiteral("config");
    options.mustExist = true;
    const std::optional<QString> path = interaction().openFileName(this, options);
    if (!path)
        return;

    if (m_sheet.loadConfiguration(*path))
        enterConfiguring(false, MainSheet::PrinterTab);
}

void StartPage::enterConfiguring(bool wizardToo, int page)
{
    m_ui->manualButton->setEnabled(false);
    if (wizardToo)
        m_ui->wizardButton->setEnabled(false);
    m_sheet.addConfigurationPages();
    m_sheet.setActivePage(page);
}

void StartPage::onConfigurationWizard()
{
    const std::optional<WizardOutcome> outcome = runConfigurationWizard(interaction(), host().diagnostics(), &m_sheet);
    if (!outcome)
        return;
    m_sheet.applyWizardAnswers(outcome->answers);
    if (outcome->finish == WizardFinish::SaveAndExit) {
        if (m_sheet.apply()) {
            m_sheet.done(QDialog::Accepted);
            return;
        }
        // Not saved: stay with the wizard's entries on the configuration
        // pages, at the first fault when there is one.
        const ConfigurationFaults faults = findConfigurationFaults(configuration());
        enterConfiguring(true, faults.empty() ? MainSheet::PrinterTab : faults.firstErrorPage);
        return;
    }
    enterConfiguring(true, MainSheet::PrinterTab);
}
