#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CExitDialog;
}

// The report after saving, with the offer to restart the print server.
class CExitDialog : public QDialog {
    Q_OBJECT
public:
    explicit CExitDialog(QWidget* parent = nullptr);
    ~CExitDialog() override;

    QString ReportText;
    int RestartServer = 0;
    bool RestartAllowed = true;

    void showEvent(QShowEvent* event) override;
    // "Close": the check box counts. Escape and the close box leave
    // RestartServer at 0.
    void accept() override;

    // Copies the values into the controls; runs when the dialog opens.
    void InitDialog();

private:
    std::unique_ptr<Ui::CExitDialog> m_ui;
    bool m_initialised = false;
};
