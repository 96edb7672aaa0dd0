#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "dicom/DicomPeer.h"

class Interaction;

namespace Ui {
class DicomTaskDialog;
}

// Runs a DICOM check off the GUI thread, with a small window that says what
// is going on and a Cancel that stops the network work (Esc and closing the
// window cancel too). The window stays until the work has ended.
class DicomTaskDialog : public QDialog {
    Q_OBJECT
  public:
    DicomTaskDialog(const QString& text, QWidget* parent);
    ~DicomTaskDialog() override;

    // Runs work in a thread of its own while this window is shown modally
    // through interaction, with the busy cursor. False when cancelled.
    bool run(Interaction& interaction, const std::function<void(DicomCancel&)>& work);

    void reject() override;

  private:
    std::unique_ptr<Ui::DicomTaskDialog> m_ui;
    DicomCancel m_cancel;
};
