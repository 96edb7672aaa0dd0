#pragma once

#include <memory>
#include <string>

#include "config/Records.h"
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

    void SetRecord(const sHeader& header) { m_header = header; }
    const sHeader& Record() const { return m_header; }

    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    // False at the first field that cannot be read, after its message.
    bool ReadControls();
    void ShowValues();
    void OnBrowse();

    std::unique_ptr<Ui::CHeaderDialog> m_ui;
    Interaction& m_interaction;
    sHeader m_header;
};
