#pragma once

#include <QWizard>

#include "WizardResult.h"

class CPage0Start;
class CQuarvel;
class CWizardPageBase;
class Interaction;
class PrinterTestEnvironment;

// "Configuration Wizard": five pages that fill one sWizardResult.
class CConfigurationWizard : public QWizard {
    Q_OBJECT
public:
    enum PageId { NamePage, PrinterPage, PaperPage, ServerPage, SummaryPage };

    CConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics, QWidget* owner);

    sWizardResult& Result() { return m_result; }
    Interaction& Ui() const { return m_interaction; }
    PrinterTestEnvironment& Diagnostics() const { return m_diagnostics; }

private:
    void OnPageChanged(int id);

    Interaction& m_interaction;
    PrinterTestEnvironment& m_diagnostics;
    sWizardResult m_result;
};

// The Start page's "Configuration Wizard": runs the wizard, copies its
// answers into the configuration and offers "Save and Exit" or "Proceed".
void RunConfigurationWizard(CQuarvel& sheet, CPage0Start& startPage);
