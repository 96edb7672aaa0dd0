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

void CHeaderDialog::ReadControls()
{
    FieldReader(m_interaction, this).text(m_ui->name, Name).text(m_ui->file, File);
}

void CHeaderDialog::ShowValues()
{
    ShowText(m_ui->name, Name);
    ShowText(m_ui->file, File);
}

void CHeaderDialog::OnBrowse()
{
    ReadControls();
    Interaction::FileDialogSpec spec;
    spec.filter = QStringLiteral("Windows Bitmap (*.bmp)|*.bmp|All Files (*.*)|*.*||");
    spec.defaultSuffix = QStringLiteral("bmp");
    spec.confirmOverwrite = true;
    if (const std::optional<QString> path = m_interaction.openFileName(this, spec))
        File = FromQt(*path);
    ShowValues();
}

void CHeaderDialog::accept()
{
    ReadControls();
    QDialog::accept();
}
