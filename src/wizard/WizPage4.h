#pragma once

#include <memory>
#include <string>

#include "wizard/WizardPage.h"

namespace Ui {
class CWizPage4;
}

// Page 4: the DICOM server's name, port and accepted image classes.
class CWizPage4 : public CWizardPageBase {
    Q_OBJECT
  public:
    explicit CWizPage4(CConfigurationWizard& wizard);
    ~CWizPage4() override;

    bool ReadControls() override;
    void ShowValues() override;
    bool validatePage() override;

  private:
    std::unique_ptr<Ui::CWizPage4> m_ui;
    std::string m_serverName;
    bool m_acceptGrayscale = true;
    bool m_acceptColor = true;
    int m_port = 104;
};
