#pragma once

#include <QDialog>

// A dialog that copies its values into its controls once, when it first
// opens, after its caller has filled them.
class InitDialogBase : public QDialog {
    Q_OBJECT
  public:
    using QDialog::QDialog;

  protected:
    virtual void onInitDialog() = 0;

    void showEvent(QShowEvent* event) override
    {
        if (!m_initialised) {
            m_initialised = true;
            onInitDialog();
        }
        QDialog::showEvent(event);
    }

  private:
    bool m_initialised = false;
};
