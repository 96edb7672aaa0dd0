#include "pages/HeaderDialog.h"

#include "ui/Fields.h"
#include "ui_HeaderDialog.h"

HeaderDialog::HeaderDialog(Interaction& interaction, TextEncoding encoding, QWidget* parent)
    : ValueDialog(parent), m_ui(std::make_unique<Ui::HeaderDialog>()), m_interaction(interaction), m_encoding(encoding)
{
    m_ui->setupUi(this);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &HeaderDialog::onBrowse);
}

HeaderDialog::~HeaderDialog() = default;

void HeaderDialog::fillControls()
{
    showValues();
}

bool HeaderDialog::readControls()
{
    return FieldReader(m_interaction, this, m_encoding)
        .text(m_ui->name, m_header.Name)
        .text(m_ui->file, m_header.IncludeFile)
        .ok();
}

void HeaderDialog::showValues()
{
    showText(m_ui->name, m_header.Name, m_encoding);
    showText(m_ui->file, m_header.IncludeFile, m_encoding);
}

void HeaderDialog::onBrowse()
{
    readControls();
    Interaction::FileDialogOptions options;
    options.filter = QStringLiteral("Windows Bitmap (*.bmp);;All Files (*.*)");
    options.defaultSuffix = QStringLiteral("bmp");
    showValues();
    // The path goes into the field; reading the field checks that the
    // file's encoding can hold it.
    if (const std::optional<QString> path = m_interaction.openFileName(this, options))
        m_ui->file->setText(*path);
}

void HeaderDialog::accept()
{
    if (!readControls())
        return;
    QDialog::accept();
}
