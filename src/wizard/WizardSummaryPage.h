#pragma once

#include <memory>

#include "wizard/WizardPage.h"

namespace Ui {
class WizardSummaryPage;
}

// Page 5: the summary of what the print clients need.
class WizardSummaryPage : public WizardPage {
    Q_OBJECT
  public:
    explicit WizardSummaryPage(ConfigurationWizard& wizard);
    ~WizardSummaryPage() override;

    void onSetActive() override;
    bool readControls() override { return true; }
    void showValues() override {}

  private:
    std::unique_ptr<Ui::WizardSummaryPage> m_ui;
};
