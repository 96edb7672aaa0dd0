#pragma once

#include <memory>

#include "pages/QuarvelPage.h"

class CQuarvel;

namespace Ui {
class CPage0Start;
}

// "Start": the way in, through the wizard or a manual configuration (New
// or Load).
class CPage0Start : public CQuarvelPage {
    Q_OBJECT
  public:
    explicit CPage0Start(CQuarvel& sheet);
    ~CPage0Start() override;

    void onSetActive() override;

    void OnConfigurationWizard();
    void OnManualConfiguration();
    // Both buttons off, the configuration pages in, Printer shown.
    void EnterConfiguring(bool wizardToo, int page);

  private:
    void OnNew();
    void OnLoad();

    CQuarvel& m_sheet;
    std::unique_ptr<Ui::CPage0Start> m_ui;
};
