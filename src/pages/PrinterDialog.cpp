#include "pages/PrinterDialog.h"

#include "diagnostics/PrinterTest.h"
#include "ui/Fields.h"
#include "ui_PrinterDialog.h"

CPrinterDialog::CPrinterDialog(Interaction& interaction, PrinterTestEnvironment& diagnostics, QWidget* parent)
    : InitDialogBase(parent), m_ui(std::make_unique<Ui::CPrinterDialog>()), m_interaction(interaction),
      m_diagnostics(diagnostics)
{
    m_ui->setupUi(this);
    m_rows = {{
        {m_ui->grayCheck, m_ui->grayFile, m_ui->grayBrowse, &Gray, &GrayFile},
        {m_ui->colorCheck, m_ui->colorFile, m_ui->colorBrowse, &Color, &ColorFile},
        {m_ui->redCheck, m_ui->redFile, m_ui->redBrowse, &Red, &RedFile},
        {m_ui->greenCheck, m_ui->greenFile, m_ui->greenBrowse, &Green, &GreenFile},
        {m_ui->blueCheck, m_ui->blueFile, m_ui->blueBrowse, &Blue, &BlueFile},
    }};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        connect(m_rows[i].check, &QCheckBox::clicked, this, &CPrinterDialog::ApplyEnablingRules);
        connect(m_rows[i].browse, &QPushButton::clicked, this, [this, i] { OnBrowse(static_cast<Row>(i)); });
    }
    connect(m_ui->pingButton, &QPushButton::clicked, this, &CPrinterDialog::OnPing);
}

CPrinterDialog::~CPrinterDialog() = default;

void CPrinterDialog::SetValues(const sPrinter& p)
{
    Description = p.Description;
    AETitle = p.PrinterAETitle;
    Address = p.PrinterAddress;
    Queue = p.PrinterQueue;
    Gray = p.UseGrayGraduation ? 1 : 0;
    Color = p.UseColorGraduation ? 1 : 0;
    Red = p.UseRedGraduation ? 1 : 0;
    Green = p.UseGreenGraduation ? 1 : 0;
    Blue = p.UseBlueGraduation ? 1 : 0;
    GrayFile = p.GrayGraduationFile;
    ColorFile = p.ColorGraduationFile;
    RedFile = p.RedGraduationFile;
    GreenFile = p.GreenGraduationFile;
    BlueFile = p.BlueGraduationFile;
}

void CPrinterDialog::StoreValues(sPrinter& p) const
{
    p.Description = Description;
    p.PrinterAETitle = AETitle;
    p.PrinterAddress = Address;
    p.PrinterQueue = Queue;
    p.UseGrayGraduation = Gray == 1;
    p.UseColorGraduation = Color == 1;
    p.UseRedGraduation = Red == 1;
    p.UseGreenGraduation = Green == 1;
    p.UseBlueGraduation = Blue == 1;
    p.GrayGraduationFile = GrayFile;
    p.ColorGraduationFile = ColorFile;
    p.RedGraduationFile = RedFile;
    p.GreenGraduationFile = GreenFile;
    p.BlueGraduationFile = BlueFile;
}

void CPrinterDialog::OnInitDialog()
{
    ShowValues();
    m_ui->saveButton->setText(QStringLiteral("Save"));
    m_ui->cancelButton->setText(QStringLiteral("Cancel"));
    ApplyEnablingRules();
}

void CPrinterDialog::ReadControls()
{
    FieldReader read(m_interaction, this);
    read.text(m_ui->description, Description)
        .text(m_ui->aeTitle, AETitle)
        .text(m_ui->address, Address)
        .text(m_ui->queue, Queue);
    for (const GraduationRow& row : m_rows)
        read.check(row.check, *row.value).text(row.file, *row.path);
}

void CPrinterDialog::ShowValues()
{
    ShowText(m_ui->description, Description);
    ShowText(m_ui->aeTitle, AETitle);
    ShowText(m_ui->address, Address);
    ShowText(m_ui->queue, Queue);
    for (const GraduationRow& row : m_rows) {
        ShowCheck(row.check, *row.value);
        ShowText(row.file, *row.path);
    }
}

void CPrinterDialog::SetRowEnabled(const GraduationRow& row, bool checkEnabled, bool fileEnabled)
{
    row.check->setEnabled(checkEnabled);
    row.file->setEnabled(fileEnabled);
    row.browse->setEnabled(fileEnabled);
}

void CPrinterDialog::ApplyEnablingRules()
{
    ReadControls();
    SetRowEnabled(m_rows[GrayRow], true, Gray == 1);
    // Color graduation and the separate red, green and blue ones exclude
    // each other; their file paths stay as they are.
    if (Color == 1) {
        SetRowEnabled(m_rows[ColorRow], true, true);
        for (Row row : {RedRow, GreenRow, BlueRow}) {
            *m_rows[row].value = 0;
            SetRowEnabled(m_rows[row], false, false);
        }
    } else {
        SetRowEnabled(m_rows[ColorRow], true, false);
        for (Row row : {RedRow, GreenRow, BlueRow})
            SetRowEnabled(m_rows[row], true, *m_rows[row].value == 1);
    }
    ShowValues();
}

void CPrinterDialog::OnPing()
{
    ReadControls();
    std::string report;
    const bool reached = CPrinterTest(m_diagnostics).Ping(Address, report);
    m_interaction.tell(this, ToQt(report), reached ? Interaction::Icon::Information : Interaction::Icon::Warning);
    ShowValues();
}

void CPrinterDialog::OnBrowse(Row row)
{
    ReadControls();
    Interaction::FileDialogSpec spec;
    spec.filter = QStringLiteral("All Files (*.*)|*.*||");
    if (const std::optional<QString> path = m_interaction.openFileName(this, spec))
        *m_rows[row].path = FromQt(*path);
    ShowValues();
}

void CPrinterDialog::accept()
{
    ReadControls();
    QString error;
    if (Description.empty() || AETitle.empty() || Address.empty() || Queue.empty())
        error = QStringLiteral("Fill out all fields.");
    else if (Gray == 1 && GrayFile.empty())
        error = QStringLiteral("Gray graduation file is empty.");
    else if (Color == 1 && ColorFile.empty())
        error = QStringLiteral("Color graduation file is empty.");
    else if (Red == 1 && RedFile.empty())
        error = QStringLiteral("Red graduation file is empty.");
    else if (Green == 1 && GreenFile.empty())
        error = QStringLiteral("Green graduation file is empty.");
    else if (Blue == 1 && BlueFile.empty())
        error = QStringLiteral("Blue graduation file is empty.");
    if (!error.isEmpty()) {
        m_interaction.tell(this, error, Interaction::Icon::Error);
        return;
    }
    QDialog::accept();
}
