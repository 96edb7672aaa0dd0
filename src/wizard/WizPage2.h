#pragma once

#include <memory>
#include <string>

#include "wizard/WizardPage.h"

namespace Ui {
class CWizPage2;
}

// Page 2: the PostScript printer, network or local.
class CWizPage2 : public CWizardPageBase {
    Q_OBJECT
  public:
    enum Kind { NetworkPrinter = 0, LocalPrinter = 1 };

    explicit CWizPage2(CConfigurationWizard& wizard);
    ~CWizPage2() override;

    void onSetActive() override;
    bool ReadControls() override;
    void ShowValues() override;
    bool validatePage() override;

  private:
    // A network printer's queue is always "queue"; a local printer's share
    // name has to be typed, and is emptied at every activation.
    void DeriveQueue();
    void OnPing();

    std::unique_ptr<Ui::CWizPage2> m_ui;
    std::string m_description, m_aeTitle, m_address, m_queue;
    bool m_grayscale = false;
    int m_kind = NetworkPrinter;
};
