#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class ManualStartDialog;
}

// "New" (OK) or "Load" (Cancel; so are Escape and the close box).
class ManualStartDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ManualStartDialog(QWidget* parent = nullptr);
    ~ManualStartDialog() override;

  private:
    std::unique_ptr<Ui::ManualStartDialog> m_ui;
};
