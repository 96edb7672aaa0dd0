#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CWizardFinishDlg;
}

// After the wizard: "Save and Exit" (OK) or "Proceed" (Cancel, also Escape
// and the close box).
class CWizardFinishDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CWizardFinishDlg(QWidget* parent = nullptr);
    ~CWizardFinishDlg() override;

    QString Message;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::CWizardFinishDlg> m_ui;
};
