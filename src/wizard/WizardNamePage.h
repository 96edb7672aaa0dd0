#pragma once

#include <memory>
#include <string>

#include "wizard/WizardPage.h"

namespace Ui {
class WizardNamePage;
}

// Page 1: the name of the configuration file.
class WizardNamePage : public WizardPage {
    Q_OBJECT
  public:
    explicit WizardNamePage(ConfigurationWizard& wizard);
    ~WizardNamePage() override;

    bool readControls() override;
    void showValues() override;
    bool validatePage() override;

  private:
    std::unique_ptr<Ui::WizardNamePage> m_ui;
    std::string m_name = "config";
};
