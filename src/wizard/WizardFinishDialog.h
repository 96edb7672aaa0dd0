#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class WizardFinishDialog;
}

// After the wizard: "Save and Exit" (OK) or "Proceed" (Cancel, also Escape
// and the close box).
class WizardFinishDialog : public QDialog {
    Q_OBJECT
  public:
    explicit WizardFinishDialog(QWidget* parent = nullptr);
    ~WizardFinishDialog() override;

    QString Message;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::WizardFinishDialog> m_ui;
};
