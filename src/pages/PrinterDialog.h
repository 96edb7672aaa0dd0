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

// "Add/Edit Printer": one printer's fields. The caller fills the values
// before it opens the dialog and takes them after "Save".
class CPrinterDialog : public InitDialogBase {
    Q_OBJECT
  public:
    CPrinterDialog(Interaction& interaction, PrinterTestEnvironment& diagnostics, QWidget* parent = nullptr);
    ~CPrinterDialog() override;

    // The dialog's values, as check values 0/1 for the five flags.
    void SetValues(const sPrinter& printer);
    void StoreValues(sPrinter& printer) const;

    std::string Description, AETitle, Address, Queue;
    int Gray = 0, Color = 0, Red = 0, Green = 0, Blue = 0;
    std::string GrayFile, ColorFile, RedFile, GreenFile, BlueFile;

    // "Save": the checks in their order; the first failure keeps the dialog.
    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    // One row of the graduation group: check box, file edit, "..." button.
    struct GraduationRow {
        QCheckBox* check;
        QLineEdit* file;
        QPushButton* browse;
        int* value;
        std::string* path;
    };
    enum Row { GrayRow, ColorRow, RedRow, GreenRow, BlueRow };

    void ReadControls();
    void ShowValues();
    void ApplyEnablingRules();
    void SetRowEnabled(const GraduationRow& row, bool checkEnabled, bool fileEnabled);
    void OnPing();
    void OnBrowse(Row row);

    std::unique_ptr<Ui::CPrinterDialog> m_ui;
    Interaction& m_interaction;
    PrinterTestEnvironment& m_diagnostics;
    std::array<GraduationRow, 5> m_rows;
};
