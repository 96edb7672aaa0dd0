#pragma once

#include <memory>
#include <string>

#include "wizard/WizardPage.h"

namespace Ui {
class CWizPage3;
}

// Page 3: the paper layout and the layout defaults.
class CWizPage3 : public CWizardPageBase {
    Q_OBJECT
  public:
    explicit CWizPage3(CConfigurationWizard& wizard);
    ~CWizPage3() override;

    bool ReadControls() override;
    void ShowValues() override;
    bool validatePage() override;

  private:
    std::unique_ptr<Ui::CWizPage3> m_ui;
    std::string m_layoutTitle;
    int m_paperFormat = -1;
    int m_orientation = -1;
    std::string m_borderDensity;
    std::string m_emptyDensity;
    double m_imageDistance = 14.17;
    bool m_trim = false;
};
