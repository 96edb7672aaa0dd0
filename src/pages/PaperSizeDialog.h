#pragma once

#include <memory>
#include <string>

#include "ui/InitDialogBase.h"

#include "config/Records.h"

class CHeaderList;
class Interaction;

namespace Ui {
class CPaperSizeDialog;
}

// "Add/Edit Paper Size": one paper's fields. The caller fills the values
// and the header bitmap list before opening it and takes the values after
// "Save".
class CPaperSizeDialog : public InitDialogBase {
    Q_OBJECT
  public:
    explicit CPaperSizeDialog(Interaction& interaction, QWidget* parent = nullptr);
    ~CPaperSizeDialog() override;

    void SetValues(const sPaper& paper);
    void StoreValues(sPaper& paper) const;

    std::string Name, Description, PaperLabel, HeaderName;
    int SizeX = 0, SizeY = 0, SkipX = 0, SkipY = 0, OffsetX = 0, OffsetY = 0;
    const CHeaderList* Headers = nullptr;

    // "Save": title, size, then the question for an empty label.
    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    bool ReadControls();
    void ShowValues();
    void OnGetStandardValues();

    std::unique_ptr<Ui::CPaperSizeDialog> m_ui;
    Interaction& m_interaction;
};
