#include "app/Page0Start.h"

#include "app/ManualStartDialog.h"
#include "app/Quarvel.h"
#include "config/ConfigurationCheck.h"
#include "ui/Artwork.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui_Page0Start.h"
#include "wizard/ConfigurationWizard.h"

namespace {

const char* const kOpenFilter = "Configuration files (*.cfg);;All Files (*.*)";

} // namespace

CPage0Start::CPage0Start(CQuarvel& sheet)
    : CQuarvelPage(sheet, &sheet), m_sheet(sheet), m_ui(std::make_unique<Ui::CPage0Start>())
{
    m_ui->setupUi(this);
    m_ui->logo->setPixmap(Artwork::Logo(this));
    m_ui->picture->setPixmap(Artwork::Physician(this));
    connect(m_ui->wizardButton, &QPushButton::clicked, this, &CPage0Start::OnConfigurationWizard);
    connect(m_ui->manualButton, &QPushButton::clicked, this, &CPage0Start::OnManualConfiguration);
}

CPage0Start::~CPage0Start() = default;

void CPage0Start::onSetActive()
{
    ClearCheckDone();
}

void CPage0Start::OnManualConfiguration()
{
    CManualStartDialog dialog(this);
    if (interaction().runModal(dialog) == QDialog::Accepted)
        OnNew();
    else
        OnLoad();
}

void CPage0Start::OnNew()
{
    EnterConfiguring(false, CQuarvel::PrinterPage);
}

void CPage0Start::OnLoad()
{
    Interaction::FileDialogOptions options;
    options.filter = QString::fromLatin1(kOpenFilter);
    options.defaultSuffix = QStringLiteral("cfg");
    options.initialName = QStringLiteral("config");
    options.mustExist = true;
    const std::optional<QString> path = interaction().openFileName(this, options);
    if (!path)
        return;

    if (m_sheet.LoadConfiguration(*path))
        EnterConfiguring(false, CQuarvel::PrinterPage);
}

void CPage0Start::EnterConfiguring(bool wizardToo, int page)
{
    m_ui->manualButton->setEnabled(false);
    if (wizardToo)
        m_ui->wizardButton->setEnabled(false);
    m_sheet.AddConfigurationPages();
    m_sheet.setActivePage(page);
}

void CPage0Start::OnConfigurationWizard()
{
    const std::optional<WizardOutcome> outcome = RunConfigurationWizard(interaction(), Host().diagnostics(), &m_sheet);
    if (!outcome)
        return;
    m_sheet.ApplyWizardAnswers(outcome->answers);
    if (outcome->finish == WizardFinish::SaveAndExit) {
        if (m_sheet.apply()) {
            m_sheet.done(QDialog::Accepted);
            return;
        }
        // Not saved: stay with the wizard's entries on the configuration
        // pages, at the first fault when there is one.
        const ConfigurationFaults faults = FindConfigurationFaults(Configuration());
        EnterConfiguring(true, faults.empty() ? CQuarvel::PrinterPage : faults.firstErrorPage);
        return;
    }
    EnterConfiguring(true, CQuarvel::PrinterPage);
}
