#pragma once

#include <memory>
#include <string>

#include "ui/Bindings.h"
#include "wizard/WizardPage.h"

namespace Ui {
class WizardPrinterPage;
}

// Page 2: the PostScript printer, network or local.
class WizardPrinterPage : public WizardPage {
    Q_OBJECT
  public:
    enum Kind { NetworkPrinter = 0, LocalPrinter = 1 };

    explicit WizardPrinterPage(ConfigurationWizard& wizard);
    ~WizardPrinterPage() override;

    void onSetActive() override;
    bool readControls() override;
    void showValues() override;
    bool validatePage() override;

  private:
    // A network printer's queue is always "queue"; a local printer's share
    // name has to be typed, and is emptied at every activation.
    void deriveQueue();
    void onPing();

    std::unique_ptr<Ui::WizardPrinterPage> m_ui;
    std::string m_description, m_aeTitle, m_address, m_queue;
    bool m_grayscale = false;
    int m_kind = NetworkPrinter;
    Bindings<WizardPrinterPage> m_bindings;
};
