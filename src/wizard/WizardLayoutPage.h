#pragma once

#include <memory>
#include <string>

#include "wizard/WizardPage.h"

namespace Ui {
class WizardLayoutPage;
}

// Page 3: the paper layout and the layout defaults.
class WizardLayoutPage : public WizardPage {
    Q_OBJECT
  public:
    explicit WizardLayoutPage(ConfigurationWizard& wizard);
    ~WizardLayoutPage() override;

    bool readControls() override;
    void showValues() override;
    bool validatePage() override;

  private:
    std::unique_ptr<Ui::WizardLayoutPage> m_ui;
    std::string m_layoutTitle;
    int m_paperFormat = -1;
    int m_orientation = -1;
    std::string m_borderDensity;
    std::string m_emptyDensity;
    double m_imageDistance = 14.17;
    bool m_trim = false;
};
