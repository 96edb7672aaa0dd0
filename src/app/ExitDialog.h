#pragma once

#include <QString>
#include <memory>

#include "ui/ValueDialog.h"

namespace Ui {
class ExitDialog;
}

// The report after saving, with the offer to restart the print server.
class ExitDialog : public ValueDialog {
    Q_OBJECT
  public:
    // report is the text shown; restartAllowed whether the restart box can
    // be ticked (it starts unticked either way).
    ExitDialog(const QString& report, bool restartAllowed, QWidget* parent = nullptr);
    ~ExitDialog() override;

    // Whether "Close" was pressed with the restart box ticked. Escape and
    // the close box never ask for a restart.
    bool restartRequested() const { return m_restartRequested; }

    void accept() override;

  protected:
    // Copies the values into the controls and sets the button's caption.
    void fillControls() override;

  private:
    std::unique_ptr<Ui::ExitDialog> m_ui;
    QString m_report;
    bool m_restartAllowed;
    bool m_restartRequested = false;
};
