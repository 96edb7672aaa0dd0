#pragma once

#include <memory>
#include <string>

#include "ui/InitDialogBase.h"

class Interaction;

namespace Ui {
class CStandardPaperSizeDialog;
}

// "Standard Paper Size": picks one of the thirty formats; the caller takes
// Width, Height and PaperLabel after "Copy".
class CStandardPaperSizeDialog : public InitDialogBase {
    Q_OBJECT
  public:
    explicit CStandardPaperSizeDialog(Interaction& interaction, QWidget* parent = nullptr);
    ~CStandardPaperSizeDialog() override;

    int Width = 0;
    int Height = 0;
    std::string PaperLabel;

    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    // False at the first field that cannot be read, after its message.
    bool ReadControls();
    void ShowValues();
    void OnSelectionChanged(int position);

    std::unique_ptr<Ui::CStandardPaperSizeDialog> m_ui;
    Interaction& m_interaction;
};
