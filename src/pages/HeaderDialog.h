#pragma once

#include <memory>
#include <string>

#include "ui/InitDialogBase.h"

class Interaction;

namespace Ui {
class CHeaderDialog;
}

// "Add/Edit page header bitmap": a name and a bitmap file; no checks.
class CHeaderDialog : public InitDialogBase {
    Q_OBJECT
  public:
    explicit CHeaderDialog(Interaction& interaction, QWidget* parent = nullptr);
    ~CHeaderDialog() override;

    std::string Name;
    std::string File;

    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    void ReadControls();
    void ShowValues();
    void OnBrowse();

    std::unique_ptr<Ui::CHeaderDialog> m_ui;
    Interaction& m_interaction;
};
