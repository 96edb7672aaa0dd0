#pragma once

#include <memory>
#include <string>

#include "wizard/WizardPage.h"

namespace Ui {
class CWizPage1;
}

// Page 1: the name of the configuration file.
class CWizPage1 : public CWizardPageBase {
    Q_OBJECT
  public:
    explicit CWizPage1(CConfigurationWizard& wizard);
    ~CWizPage1() override;

    bool ReadControls() override;
    void ShowValues() override;
    bool validatePage() override;

  private:
    std::unique_ptr<Ui::CWizPage1> m_ui;
    std::string m_name = "config";
};
