#pragma once

#include <memory>

#include "ui/InitDialogBase.h"

namespace Ui {
class CExitDialog;
}

// The report after saving, with the offer to restart the print server.
class CExitDialog : public InitDialogBase {
    Q_OBJECT
  public:
    explicit CExitDialog(QWidget* parent = nullptr);
    ~CExitDialog() override;

    QString ReportText;
    bool RestartAllowed = true;

    // Whether "Close" was pressed with the restart box ticked. Escape and
    // the close box never ask for a restart.
    bool restartRequested() const { return m_restartRequested; }

    void accept() override;

  protected:
    // Copies the values into the controls and sets the button's caption.
    void OnInitDialog() override;

  private:
    std::unique_ptr<Ui::CExitDialog> m_ui;
    bool m_restartRequested = false;
};
