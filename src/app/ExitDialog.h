#pragma once

#include <memory>

#include "InitDialogBase.h"

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
    int RestartServer = 0;
    bool RestartAllowed = true;

    // "Close": the check box counts. Escape and the close box leave
    // RestartServer at 0.
    void accept() override;

protected:
    // Copies the values into the controls and sets the button's caption.
    void OnInitDialog() override;

private:
    std::unique_ptr<Ui::CExitDialog> m_ui;
};
