#include "pages/StandardPaperSizeDialog.h"

#include "config/StandardPaperSizes.h"
#include "ui/Fields.h"
#include "ui_StandardPaperSizeDialog.h"

CStandardPaperSizeDialog::CStandardPaperSizeDialog(Interaction& interaction, QWidget* parent)
    : InitDialogBase(parent), m_ui(std::make_unique<Ui::CStandardPaperSizeDialog>()), m_interaction(interaction)
{
    m_ui->setupUi(this);
    for (const StandardPaperSize& size : StandardPaperSizes())
        m_ui->paperSize->addItem(QString::fromLatin1(size.name));
    m_ui->paperSize->setCurrentIndex(-1);
    connect(m_ui->paperSize, &QComboBox::currentIndexChanged, this, &CStandardPaperSizeDialog::OnSelectionChanged);
}

CStandardPaperSizeDialog::~CStandardPaperSizeDialog() = default;

void CStandardPaperSizeDialog::OnInitDialog()
{
    ShowValues();
    m_ui->copyButton->setText(QStringLiteral("C&opy"));
    m_ui->cancelButton->setText(QStringLiteral("&Cancel"));
}

bool CStandardPaperSizeDialog::ReadControls()
{
    return FieldReader(m_interaction, this)
        .integer(m_ui->width, Width)
        .integer(m_ui->height, Height)
        .text(m_ui->paperLabel, PaperLabel)
        .ok();
}

void CStandardPaperSizeDialog::ShowValues()
{
    ShowInteger(m_ui->width, Width);
    ShowInteger(m_ui->height, Height);
    ShowText(m_ui->paperLabel, PaperLabel);
}

void CStandardPaperSizeDialog::OnSelectionChanged(int position)
{
    ReadControls();
    const PaperSizeLookup size = LookupStandardPaperSizeForDialog(position);
    Width = size.width;
    Height = size.height;
    PaperLabel = size.label;
    ShowValues();
}

void CStandardPaperSizeDialog::accept()
{
    if (!ReadControls())
        return;
    QDialog::accept();
}
