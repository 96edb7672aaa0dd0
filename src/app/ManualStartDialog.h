#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CManualStartDialog;
}

// "New" (OK) or "Load" (Cancel; so are Escape and the close box).
class CManualStartDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CManualStartDialog(QWidget* parent = nullptr);
    ~CManualStartDialog() override;

  private:
    std::unique_ptr<Ui::CManualStartDialog> m_ui;
};
