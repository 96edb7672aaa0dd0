#pragma once

#include <memory>
#include <string>

#include "ui/Bindings.h"
#include "wizard/WizardPage.h"

namespace Ui {
class WizardDicomPage;
}

// Page 4: the DICOM server's name, port and accepted image classes.
class WizardDicomPage : public WizardPage {
    Q_OBJECT
  public:
    explicit WizardDicomPage(ConfigurationWizard& wizard);
    ~WizardDicomPage() override;

    bool readControls() override;
    void showValues() override;
    bool validatePage() override;

  private:
    std::unique_ptr<Ui::WizardDicomPage> m_ui;
    std::string m_serverName;
    bool m_acceptGrayscale = true;
    bool m_acceptColor = true;
    int m_port = 104;
    Bindings<WizardDicomPage> m_bindings;
};
