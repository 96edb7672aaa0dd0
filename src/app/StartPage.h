#pragma once

#include <memory>

#include "pages/ConfigPage.h"

class MainSheet;

namespace Ui {
class StartPage;
}

// "Start": the way in, through the wizard or a manual configuration (New
// or Load).
class StartPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit StartPage(MainSheet& sheet);
    ~StartPage() override;

    void onSetActive() override;

    void onConfigurationWizard();
    void onManualConfiguration();
    // Both buttons off, the configuration pages in, Printer shown.
    void enterConfiguring(bool wizardToo, int page);

  private:
    void onNew();
    void onLoad();

    MainSheet& m_sheet;
    std::unique_ptr<Ui::StartPage> m_ui;
};
