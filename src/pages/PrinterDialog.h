#pragma once

#include <array>
#include <memory>
#include <string>

#include "ui/InitDialogBase.h"

#include "config/Records.h"

class Interaction;
class PrinterTestEnvironment;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class CPrinterDialog;
}

// "Add/Edit Printer": one printer's fields. The caller gives the record
// before it opens the dialog and takes it back after "Save".
class CPrinterDialog : public InitDialogBase {
    Q_OBJECT
  public:
    CPrinterDialog(Interaction& interaction, PrinterTestEnvironment& diagnostics, QWidget* parent = nullptr);
    ~CPrinterDialog() override;

    void SetRecord(const sPrinter& printer) { m_printer = printer; }
    const sPrinter& Record() const { return m_printer; }

    // "Save": the checks in their order; the first failure keeps the dialog.
    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    // One row of the graduation group: check box, file edit, "..." button,
    // and the two fields of the record they show.
    struct GraduationRow {
        QCheckBox* check;
        QLineEdit* file;
        QPushButton* browse;
        bool sPrinter::*use;
        std::string sPrinter::*path;
    };
    enum Row { GrayRow, ColorRow, RedRow, GreenRow, BlueRow };

    // False at the first field that cannot be read, after its message.
    bool ReadControls();
    void ShowValues();
    void ApplyEnablingRules();
    void SetRowEnabled(const GraduationRow& row, bool checkEnabled, bool fileEnabled);
    void OnPing();
    void OnBrowse(Row row);

    std::unique_ptr<Ui::CPrinterDialog> m_ui;
    Interaction& m_interaction;
    PrinterTestEnvironment& m_diagnostics;
    std::array<GraduationRow, 5> m_rows;
    sPrinter m_printer;
};
