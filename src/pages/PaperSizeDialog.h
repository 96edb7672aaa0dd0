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

// "Add/Edit Paper Size": one paper's fields. The caller gives the record
// and the header bitmap list before opening it and takes the record back
// after "Save".
class CPaperSizeDialog : public InitDialogBase {
    Q_OBJECT
  public:
    explicit CPaperSizeDialog(Interaction& interaction, QWidget* parent = nullptr);
    ~CPaperSizeDialog() override;

    void SetRecord(const sPaper& paper) { m_paper = paper; }
    const sPaper& Record() const { return m_paper; }
    // The header bitmaps offered; none or an empty list disables the choice.
    void SetHeaders(const CHeaderList* headers) { m_headers = headers; }

    // "Save": title, size, then the question for an empty label.
    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    bool ReadControls();
    void ShowValues();
    void OnGetStandardValues();
    // The preview follows the fields as they are typed, read leniently
    // into its own copy: the dialog's values change only through
    // ReadControls.
    void ConnectPreview();
    void UpdatePreview();

    std::unique_ptr<Ui::CPaperSizeDialog> m_ui;
    Interaction& m_interaction;
    sPaper m_paper;
    const CHeaderList* m_headers = nullptr;
};
