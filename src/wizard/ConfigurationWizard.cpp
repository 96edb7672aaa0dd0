#include "ConfigurationWizard.h"

#include "ConfigurationCheck.h"
#include "Fields.h"
#include "Interaction.h"
#include "Page0Start.h"
#include "Quarvel.h"
#include "WizPage1.h"
#include "WizPage2.h"
#include "WizPage3.h"
#include "WizPage4.h"
#include "WizPage5.h"
#include "WizardFinishDlg.h"

CConfigurationWizard::CConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics,
                                           QWidget* owner)
    : QWizard(owner), m_interaction(interaction), m_diagnostics(diagnostics)
{
    setObjectName(QStringLiteral("configurationWizard"));
    setWindowTitle(QStringLiteral("Configuration Wizard"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::HaveHelpButton, false);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    setModal(true);
    setMinimumSize(680, 400);
    setPage(NamePage, new CWizPage1(*this));
    setPage(PrinterPage, new CWizPage2(*this));
    setPage(PaperPage, new CWizPage3(*this));
    setPage(ServerPage, new CWizPage4(*this));
    setPage(SummaryPage, new CWizPage5(*this));
    connect(this, &QWizard::currentIdChanged, this, &CConfigurationWizard::OnPageChanged);
}

void CConfigurationWizard::OnPageChanged(int id)
{
    if (auto* page = dynamic_cast<CWizardPageBase*>(this->page(id)))
        page->onSetActive();
}

void RunConfigurationWizard(CQuarvel& sheet, CPage0Start& startPage)
{
    Interaction& ui = sheet.Ui();
    CConfigurationWizard wizard(ui, sheet.Diagnostics(), &sheet);
    if (ui.runModal(wizard) != QDialog::Accepted)
        return;

    const sWizardResult& result = wizard.Result();
    sheet.ConfigurationFileName = ToQt(result.ConfigurationName);
    ApplyWizardResult(result, sheet.Configuration());

    CWizardFinishDlg finish(&sheet);
    finish.Message = QStringLiteral("Do you want to save the settings and close the quarvel or do you want to "
                                    "proceed to be able to change more settings manually?");
    if (ui.runModal(finish) == QDialog::Accepted) {
        if (sheet.Apply()) {
            sheet.done(QDialog::Accepted);
            return;
        }
        // Not saved: stay with the wizard's entries on the configuration
        // pages, at the first fault when there is one.
        const ConfigurationFaults faults = FindConfigurationFaults(sheet.Configuration());
        startPage.EnterConfiguring(true, faults.empty() ? CQuarvel::PrinterPage : faults.firstErrorPage);
        return;
    }
    startPage.EnterConfiguring(true, CQuarvel::PrinterPage);
}
