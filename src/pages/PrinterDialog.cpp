#include "pages/PrinterDialog.h"

#include "config/ConfigurationCheck.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "ui/Fields.h"
#include "ui_PrinterDialog.h"

PrinterDialog::PrinterDialog(Interaction& interaction, PrinterTestEnvironment& diagnostics, TextEncoding encoding,
                             QWidget* parent)
    : ValueDialog(parent), m_ui(std::make_unique<Ui::PrinterDialog>()), m_interaction(interaction),
      m_encoding(encoding), m_diagnostics(diagnostics)
{
    m_ui->setupUi(this);
    m_rows = {{
        {m_ui->grayCheck, m_ui->grayFile, m_ui->grayBrowse, &PrinterRecord::UseGrayGraduation,
         &PrinterRecord::GrayGraduationFile},
        {m_ui->colorCheck, m_ui->colorFile, m_ui->colorBrowse, &PrinterRecord::UseColorGraduation,
         &PrinterRecord::ColorGraduationFile},
        {m_ui->redCheck, m_ui->redFile, m_ui->redBrowse, &PrinterRecord::UseRedGraduation,
         &PrinterRecord::RedGraduationFile},
        {m_ui->greenCheck, m_ui->greenFile, m_ui->greenBrowse, &PrinterRecord::UseGreenGraduation,
         &PrinterRecord::GreenGraduationFile},
        {m_ui->blueCheck, m_ui->blueFile, m_ui->blueBrowse, &PrinterRecord::UseBlueGraduation,
         &PrinterRecord::BlueGraduationFile},
    }};
    using P = PrinterRecord;
    // In the order the fields are read.
    m_bindings.text(m_ui->description, &P::Description)
        .text(m_ui->aeTitle, &P::PrinterAETitle)
        .text(m_ui->address, &P::PrinterAddress)
        .text(m_ui->queue, &P::PrinterQueue);
    for (const GraduationRow& row : m_rows)
        m_bindings.check(row.check, row.use).text(row.file, row.path);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        connect(m_rows[i].check, &QCheckBox::clicked, this, &PrinterDialog::applyEnablingRules);
        connect(m_rows[i].browse, &QPushButton::clicked, this, [this, i] { onBrowse(static_cast<Row>(i)); });
    }
    connect(m_ui->pingButton, &QPushButton::clicked, this, &PrinterDialog::onPing);
}

PrinterDialog::~PrinterDialog() = default;

void PrinterDialog::fillControls()
{
    showValues();
    m_ui->saveButton->setText(QStringLiteral("&Save"));
    m_ui->cancelButton->setText(QStringLiteral("&Cancel"));
    applyEnablingRules();
}

bool PrinterDialog::readControls()
{
    FieldReader read(m_interaction, this, m_encoding);
    return m_bindings.read(m_printer, read);
}

void PrinterDialog::showValues()
{
    m_bindings.show(m_printer, m_encoding);
}

void PrinterDialog::setRowEnabled(const GraduationRow& row, bool checkEnabled, bool fileEnabled)
{
    row.check->setEnabled(checkEnabled);
    row.file->setEnabled(fileEnabled);
    row.browse->setEnabled(fileEnabled);
}

void PrinterDialog::applyEnablingRules()
{
    readControls();
    setRowEnabled(m_rows[GrayRow], true, m_printer.UseGrayGraduation);
    // Color graduation and the separate red, green and blue ones exclude
    // each other; their file paths stay as they are.
    if (m_printer.UseColorGraduation) {
        setRowEnabled(m_rows[ColorRow], true, true);
        for (Row row : {RedRow, GreenRow, BlueRow}) {
            m_printer.*m_rows[row].use = false;
            setRowEnabled(m_rows[row], false, false);
        }
    } else {
        setRowEnabled(m_rows[ColorRow], true, false);
        for (Row row : {RedRow, GreenRow, BlueRow})
            setRowEnabled(m_rows[row], true, m_printer.*m_rows[row].use);
    }
    showValues();
}

void PrinterDialog::onPing()
{
    readControls();
    std::string report;
    const bool reached = PrinterDiagnostics(m_diagnostics).ping(m_printer.PrinterAddress, report);
    m_interaction.tell(this, toQt(report, m_encoding),
                       reached ? Interaction::Icon::Information : Interaction::Icon::Warning);
    showValues();
}

void PrinterDialog::onBrowse(Row row)
{
    readControls();
    Interaction::FileDialogOptions options;
    options.filter = QStringLiteral("All Files (*.*)");
    showValues();
    // The path goes into the field; reading the field checks that the
    // file's encoding can hold it.
    if (const std::optional<QString> path = m_interaction.openFileName(this, options))
        m_rows[row].file->setText(*path);
}

void PrinterDialog::accept()
{
    if (!readControls())
        return;
    const PrinterRecord& p = m_printer;
    QString error;
    if (p.Description.empty() || p.PrinterAETitle.empty() || p.PrinterAddress.empty() || p.PrinterQueue.empty())
        error = QStringLiteral("Fill out all fields.");
    else if (const std::string problem = aeTitleProblem(p.PrinterAETitle); !problem.empty())
        error = toQt(problem, m_encoding) + QStringLiteral(".");
    else if (p.UseGrayGraduation && p.GrayGraduationFile.empty())
        error = QStringLiteral("Gray graduation file is empty.");
    else if (p.UseColorGraduation && p.ColorGraduationFile.empty())
        error = QStringLiteral("Color graduation file is empty.");
    else if (p.UseRedGraduation && p.RedGraduationFile.empty())
        error = QStringLiteral("Red graduation file is empty.");
    else if (p.UseGreenGraduation && p.GreenGraduationFile.empty())
        error = QStringLiteral("Green graduation file is empty.");
    else if (p.UseBlueGraduation && p.BlueGraduationFile.empty())
        error = QStringLiteral("Blue graduation file is empty.");
    if (!error.isEmpty()) {
        m_interaction.tell(this, error, Interaction::Icon::Error);
        return;
    }
    if (m_nameTaken && m_nameTaken(p.PrinterAETitle)) {
        m_interaction.tell(this, QStringLiteral("Printer already exists"), Interaction::Icon::Warning);
        return;
    }
    QDialog::accept();
}
