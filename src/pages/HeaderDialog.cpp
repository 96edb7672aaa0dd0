#include "pages/HeaderDialog.h"

#include "ui/Fields.h"
#include "ui_HeaderDialog.h"

HeaderDialog::HeaderDialog(Interaction& interaction, TextEncoding encoding, QWidget* parent)
    : ValueDialog(parent), m_ui(std::make_unique<Ui::HeaderDialog>()), m_interaction(interaction), m_encoding(encoding)
{
    m_ui->setupUi(this);
    m_bindings.text(m_ui->name, &HeaderRecord::Name).text(m_ui->file, &HeaderRecord::IncludeFile);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &HeaderDialog::onBrowse);
}

HeaderDialog::~HeaderDialog() = default;

void HeaderDialog::fillControls()
{
    showValues();
}

bool HeaderDialog::readControls()
{
    FieldReader read(m_interaction, this, m_encoding);
    return m_bindings.read(m_header, read);
}

void HeaderDialog::showValues()
{
    m_bindings.show(m_header, m_encoding);
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
    if (m_nameTaken && m_nameTaken(m_header.Name)) {
        m_interaction.tell(this, QStringLiteral("Header bitmap already exists"), Interaction::Icon::None);
        return;
    }
    QDialog::accept();
}
