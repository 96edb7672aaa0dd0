#pragma once

#include <QDialog>

// A dialog that shows the values its caller handed it: fillControls() copies
// them into the controls once, when the dialog first opens.
class ValueDialog : public QDialog {
    Q_OBJECT
  public:
    using QDialog::QDialog;

  protected:
    virtual void fillControls() = 0;

    void showEvent(QShowEvent* event) override
    {
        if (!m_initialised) {
            m_initialised = true;
            fillControls();
        }
        QDialog::showEvent(event);
    }

  private:
    bool m_initialised = false;
};
