#pragma once

#include "config/TextEncoding.h"

#include <memory>
#include <string>

#include "ui/ValueDialog.h"

class Interaction;

namespace Ui {
class StandardPaperSizeDialog;
}

// "Standard Paper Size": picks one of the thirty formats; the caller takes
// Width, Height and PaperLabel after "Copy".
class StandardPaperSizeDialog : public ValueDialog {
    Q_OBJECT
  public:
    StandardPaperSizeDialog(Interaction& interaction, TextEncoding encoding, QWidget* parent = nullptr);
    ~StandardPaperSizeDialog() override;

    int Width = 0;
    int Height = 0;
    std::string PaperLabel;

    void accept() override;

  protected:
    void fillControls() override;

  private:
    // False at the first field that cannot be read, after its message.
    bool readControls();
    void showValues();
    void onSelectionChanged(int position);

    std::unique_ptr<Ui::StandardPaperSizeDialog> m_ui;
    Interaction& m_interaction;
    TextEncoding m_encoding;
};
