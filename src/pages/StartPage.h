#pragma once

#include <memory>

#include "pages/ConfigPage.h"
#include "pages/StartPageHost.h"

namespace Ui {
class StartPage;
}

// "Start": the way in, through the wizard or a manual configuration (New
// or Load).
class StartPage : public ConfigPage {
    Q_OBJECT
  public:
    StartPage(PageHost& host, StartPageHost& start, QWidget* parent = nullptr);
    ~StartPage() override;

    void onSetActive() override;

    void onConfigurationWizard();
    void onManualConfiguration();
    // Both buttons off (the wizard's too when asked), the configuration
    // pages in, the one at position page shown (Printer when none is given).
    void enterConfiguring(bool wizardToo, std::optional<int> page = std::nullopt);
    // Loads path as "Manual Configuration", "Load" does once the file is
    // chosen: with its load report, then the configuration pages.
    void loadFile(const QString& path);

  private:
    void onNew();
    void onLoad();

    StartPageHost& m_start;
    std::unique_ptr<Ui::StartPage> m_ui;
};
