#include "pages/StandardPaperSizeDialog.h"

#include "config/StandardPaperSizes.h"
#include "ui/Fields.h"
#include "ui_StandardPaperSizeDialog.h"

StandardPaperSizeDialog::StandardPaperSizeDialog(Interaction& interaction, TextEncoding encoding, QWidget* parent)
    : ValueDialog(parent), m_ui(std::make_unique<Ui::StandardPaperSizeDialog>()), m_interaction(interaction),
      m_encoding(encoding)
{
    m_ui->setupUi(this);
    for (const StandardPaperSize& size : standardPaperSizes())
        m_ui->paperSize->addItem(QString::fromLatin1(size.name));
    m_ui->paperSize->setCurrentIndex(-1);
    connect(m_ui->paperSize, &QComboBox::currentIndexChanged, this, &StandardPaperSizeDialog::onSelectionChanged);
}

StandardPaperSizeDialog::~StandardPaperSizeDialog() = default;

void StandardPaperSizeDialog::fillControls()
{
    showValues();
    m_ui->copyButton->setText(QStringLiteral("C&opy"));
    m_ui->cancelButton->setText(QStringLiteral("&Cancel"));
}

bool StandardPaperSizeDialog::readControls()
{
    return FieldReader(m_interaction, this, m_encoding)
        .integer(m_ui->width, Width)
        .integer(m_ui->height, Height)
        .text(m_ui->paperLabel, PaperLabel)
        .ok();
}

void StandardPaperSizeDialog::showValues()
{
    showInteger(m_ui->width, Width);
    showInteger(m_ui->height, Height);
    showText(m_ui->paperLabel, PaperLabel, m_encoding);
}

void StandardPaperSizeDialog::onSelectionChanged(int position)
{
    readControls();
    const PaperSizeLookup size = lookupStandardPaperSizeForDialog(position);
    Width = size.width;
    Height = size.height;
    PaperLabel = size.label;
    showValues();
}

void StandardPaperSizeDialog::accept()
{
    if (!readControls())
        return;
    QDialog::accept();
}
