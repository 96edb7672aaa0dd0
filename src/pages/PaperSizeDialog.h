#pragma once

#include "config/TextEncoding.h"

#include <functional>
#include <memory>
#include <string>

#include "ui/ValueDialog.h"

#include "config/Records.h"
#include "ui/Bindings.h"

class HeaderList;
class Interaction;

namespace Ui {
class PaperSizeDialog;
}

// "Add/Edit Paper Size": one paper's fields. The caller gives the record
// and the header bitmap list before opening it and takes the record back
// after "Save".
class PaperSizeDialog : public ValueDialog {
    Q_OBJECT
  public:
    PaperSizeDialog(Interaction& interaction, TextEncoding encoding, QWidget* parent = nullptr);
    ~PaperSizeDialog() override;

    void setRecord(const PaperRecord& paper) { m_paper = paper; }
    const PaperRecord& record() const { return m_paper; }
    // The header bitmaps offered; none or an empty list disables the choice.
    void setHeaders(const HeaderList* headers) { m_headers = headers; }

    // "Save": title, size, then the question for an empty label.
    void accept() override;
    // Says whether another record already has the name typed: "Paper already exists" then
    // refuses it while the dialog stays open with what was typed.
    void setNameTaken(std::function<bool(const std::string&)> taken) { m_nameTaken = std::move(taken); }

  protected:
    void fillControls() override;

  private:
    bool readControls();
    void showValues();
    void onGetStandardValues();
    // The preview follows the fields as they are typed, read leniently
    // into its own copy: the dialog's values change only through
    // ReadControls.
    void connectPreview();
    void updatePreview();

    std::unique_ptr<Ui::PaperSizeDialog> m_ui;
    Interaction& m_interaction;
    TextEncoding m_encoding;
    PaperRecord m_paper;
    Bindings<PaperRecord> m_bindings;
    const HeaderList* m_headers = nullptr;
    std::function<bool(const std::string&)> m_nameTaken;
};
