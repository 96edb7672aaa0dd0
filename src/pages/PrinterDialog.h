#pragma once

#include "config/TextEncoding.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "config/Records.h"
#include "ui/Bindings.h"
#include "ui/ValueDialog.h"

class Interaction;
class PrinterTestEnvironment;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class PrinterDialog;
}

// "Add/Edit Printer": one printer's fields. The caller gives the record
// before it opens the dialog and takes it back after "Save".
class PrinterDialog : public ValueDialog {
    Q_OBJECT
  public:
    PrinterDialog(Interaction& interaction, PrinterTestEnvironment& diagnostics, TextEncoding encoding,
                  QWidget* parent = nullptr);
    ~PrinterDialog() override;

    void setRecord(const PrinterRecord& printer) { m_printer = printer; }
    const PrinterRecord& record() const { return m_printer; }

    // "Save": the checks in their order; the first failure keeps the dialog.
    void accept() override;
    // Says whether another record already has the name typed: "Printer already exists" then
    // refuses it while the dialog stays open with what was typed.
    void setNameTaken(std::function<bool(const std::string&)> taken) { m_nameTaken = std::move(taken); }

  protected:
    void fillControls() override;

  private:
    // One row of the graduation group: check box, file edit, "..." button,
    // and the two fields of the record they show.
    struct GraduationRow {
        QCheckBox* check;
        QLineEdit* file;
        QPushButton* browse;
        bool PrinterRecord::*use;
        FieldText PrinterRecord::*path;
    };
    enum Row { GrayRow, ColorRow, RedRow, GreenRow, BlueRow };

    // False at the first field that cannot be read, after its message.
    bool readControls();
    void showValues();
    void applyEnablingRules();
    void setRowEnabled(const GraduationRow& row, bool checkEnabled, bool fileEnabled);
    void onPing();
    void onBrowse(Row row);

    std::unique_ptr<Ui::PrinterDialog> m_ui;
    Interaction& m_interaction;
    TextEncoding m_encoding;
    PrinterTestEnvironment& m_diagnostics;
    std::array<GraduationRow, 5> m_rows;
    PrinterRecord m_printer;
    Bindings<PrinterRecord> m_bindings;
    std::function<bool(const std::string&)> m_nameTaken;
};
