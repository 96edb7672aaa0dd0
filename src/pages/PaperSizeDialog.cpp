#include "pages/PaperSizeDialog.h"

#include <QRegularExpressionValidator>

#include "config/RecordLists.h"
#include "pages/StandardPaperSizeDialog.h"
#include "ui/Fields.h"
#include "ui_PaperSizeDialog.h"

CPaperSizeDialog::CPaperSizeDialog(Interaction& interaction, QWidget* parent)
    : InitDialogBase(parent), m_ui(std::make_unique<Ui::CPaperSizeDialog>()), m_interaction(interaction)
{
    m_ui->setupUi(this);
    // The number fields take digit keys only.
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* field : {m_ui->sizeX, m_ui->sizeY, m_ui->skipX, m_ui->skipY, m_ui->offsetX, m_ui->offsetY})
        field->setValidator(digits);
    connect(m_ui->standardButton, &QPushButton::clicked, this, &CPaperSizeDialog::OnGetStandardValues);
}

CPaperSizeDialog::~CPaperSizeDialog() = default;

void CPaperSizeDialog::SetValues(const sPaper& p)
{
    Name = p.Name;
    Description = p.Description;
    PaperLabel = p.PaperLabel;
    HeaderName = p.HeaderName;
    SizeX = p.SizeX;
    SizeY = p.SizeY;
    SkipX = p.SkipX;
    SkipY = p.SkipY;
    OffsetX = p.OffsetX;
    OffsetY = p.OffsetY;
}

void CPaperSizeDialog::StoreValues(sPaper& p) const
{
    p.Name = Name;
    p.Description = Description;
    p.PaperLabel = PaperLabel;
    p.HeaderName = HeaderName;
    p.SizeX = SizeX;
    p.SizeY = SizeY;
    p.SkipX = SkipX;
    p.SkipY = SkipY;
    p.OffsetX = OffsetX;
    p.OffsetY = OffsetY;
}

void CPaperSizeDialog::OnInitDialog()
{
    ShowValues();
    QComboBox* headers = m_ui->headerBitmap;
    if (Headers && Headers->GetCount() > 0) {
        int selected = -1;
        for (const sHeader& header : *Headers) {
            if (selected < 0 && header.Name == HeaderName)
                selected = headers->count();
            headers->addItem(ToQt(header.Name));
        }
        headers->setCurrentIndex(selected);
    } else {
        headers->setEnabled(false);
    }
    m_ui->saveButton->setText(QStringLiteral("Save"));
    m_ui->cancelButton->setText(QStringLiteral("Cancel"));
}

bool CPaperSizeDialog::ReadControls()
{
    FieldReader read(m_interaction, this);
    read.text(m_ui->title, Name)
        .text(m_ui->description, Description)
        .text(m_ui->paperLabel, PaperLabel)
        .integer(m_ui->sizeX, SizeX)
        .integer(m_ui->sizeY, SizeY)
        .integer(m_ui->skipX, SkipX)
        .integer(m_ui->skipY, SkipY)
        .integer(m_ui->offsetX, OffsetX)
        .integer(m_ui->offsetY, OffsetY);
    return read.ok();
}

void CPaperSizeDialog::ShowValues()
{
    ShowText(m_ui->title, Name);
    ShowText(m_ui->description, Description);
    ShowText(m_ui->paperLabel, PaperLabel);
    ShowInteger(m_ui->sizeX, SizeX);
    ShowInteger(m_ui->sizeY, SizeY);
    ShowInteger(m_ui->skipX, SkipX);
    ShowInteger(m_ui->skipY, SkipY);
    ShowInteger(m_ui->offsetX, OffsetX);
    ShowInteger(m_ui->offsetY, OffsetY);
}

void CPaperSizeDialog::OnGetStandardValues()
{
    ReadControls();
    CStandardPaperSizeDialog standard(m_interaction, this);
    if (m_interaction.runModal(standard) == QDialog::Accepted) {
        SizeX = standard.Width;
        SizeY = standard.Height;
        PaperLabel = standard.PaperLabel;
    }
    ShowValues();
}

void CPaperSizeDialog::accept()
{
    if (!ReadControls())
        return;
    if (Name.empty()) {
        m_interaction.tell(this,
                           QStringLiteral("No title for paper size defined. Fill in a proper title that is available "
                                          "at your printing client, i.e. '14INX17IN'."),
                           Interaction::Icon::Error);
        return;
    }
    if (SizeX == 0 || SizeY == 0) {
        m_interaction.tell(
            this,
            QStringLiteral("No proper page size defined. A Page can not have the width or height defined with 0."),
            Interaction::Icon::Error);
        return;
    }
    if (PaperLabel.empty() &&
        !m_interaction.askYesNo(this,
                                QStringLiteral("No proper paper label defined. The selection of the correct paper "
                                               "tray of the printer might fail. Close the paper dialog?"),
                                Interaction::Icon::Warning))
        return;
    if (m_ui->headerBitmap->isEnabled() && m_ui->headerBitmap->currentIndex() >= 0)
        HeaderName = FromQt(m_ui->headerBitmap->currentText());
    QDialog::accept();
}
