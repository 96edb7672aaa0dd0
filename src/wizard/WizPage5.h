#pragma once

#include <memory>

#include "wizard/WizardPage.h"

namespace Ui {
class CWizPage5;
}

// Page 5: the summary of what the print clients need.
class CWizPage5 : public CWizardPageBase {
    Q_OBJECT
  public:
    explicit CWizPage5(CConfigurationWizard& wizard);
    ~CWizPage5() override;

    void onSetActive() override;
    bool ReadControls() override { return true; }
    void ShowValues() override {}

  private:
    std::unique_ptr<Ui::CWizPage5> m_ui;
};
