#pragma once

#include "config/TextEncoding.h"

#include <functional>
#include <memory>
#include <string>

#include "config/Records.h"
#include "ui/Bindings.h"
#include "ui/ValueDialog.h"

class Interaction;

namespace Ui {
class HeaderDialog;
}

// "Add/Edit page header bitmap": a name and a bitmap file; a name another
// header has is refused.
class HeaderDialog : public ValueDialog {
    Q_OBJECT
  public:
    HeaderDialog(Interaction& interaction, TextEncoding encoding, QWidget* parent = nullptr);
    ~HeaderDialog() override;

    void setRecord(const HeaderRecord& header) { m_header = header; }
    const HeaderRecord& record() const { return m_header; }

    void accept() override;
    // Says whether another record already has the name typed: "Header bitmap already exists" then
    // refuses it while the dialog stays open with what was typed.
    void setNameTaken(std::function<bool(const std::string&)> taken) { m_nameTaken = std::move(taken); }

  protected:
    void fillControls() override;

  private:
    // False at the first field that cannot be read, after its message.
    bool readControls();
    void showValues();
    void onBrowse();

    std::unique_ptr<Ui::HeaderDialog> m_ui;
    Interaction& m_interaction;
    TextEncoding m_encoding;
    HeaderRecord m_header;
    Bindings<HeaderRecord> m_bindings;
    std::function<bool(const std::string&)> m_nameTaken;
};
