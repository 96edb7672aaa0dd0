#include "pages/HeaderDialog.h"

#include "ui/Fields.h"
#include "ui_HeaderDialog.h"

CHeaderDialog::CHeaderDialog(Interaction& interaction, QWidget* parent)
    : InitDialogBase(parent), m_ui(std::make_unique<Ui::CHeaderDialog>()), m_interaction(interaction)
{
    m_ui->setupUi(this);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &CHeaderDialog::OnBrowse);
}

CHeaderDialog::~CHeaderDialog() = default;

void CHeaderDialog::OnInitDialog()
{
    ShowValues();
}

bool CHeaderDialog::ReadControls()
{
    return FieldReader(m_interaction, this).text(m_ui->name, m_header.Name).text(m_ui->file, m_header.IncludeFile).ok();
}

void CHeaderDialog::ShowValues()
{
    ShowText(m_ui->name, m_header.Name);
    ShowText(m_ui->file, m_header.IncludeFile);
}

void CHeaderDialog::OnBrowse()
{
    ReadControls();
    Interaction::FileDialogOptions options;
    options.filter = QStringLiteral("Windows Bitmap (*.bmp);;All Files (*.*)");
    options.defaultSuffix = QStringLiteral("bmp");
    ShowValues();
    // The path goes into the field; reading the field checks that the
    // file's encoding can hold it.
    if (const std::optional<QString> path = m_interaction.openFileName(this, options))
        m_ui->file->setText(*path);
}

void CHeaderDialog::accept()
{
    if (!ReadControls())
        return;
    QDialog::accept();
}
