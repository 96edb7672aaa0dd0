#include "pages/PaperSizeDialog.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QRegularExpressionValidator>
#include <QScreen>

#include "config/RecordLists.h"
#include "pages/PagePreview.h"
#include "pages/StandardPaperSizeDialog.h"
#include "ui/Fields.h"
#include "ui_PaperSizeDialog.h"

namespace {

// What the dialog adds to its fields' size for the preview when it opens.
constexpr QSize kPreviewRoom(160, 80);

} // namespace

PaperSizeDialog::PaperSizeDialog(Interaction& interaction, TextEncoding encoding, QWidget* parent)
    : ValueDialog(parent), m_ui(std::make_unique<Ui::PaperSizeDialog>()), m_interaction(interaction),
      m_encoding(encoding)
{
    m_ui->setupUi(this);
    using P = PaperRecord;
    m_bindings.text(m_ui->title, &P::Name)
        .text(m_ui->description, &P::Description)
        .text(m_ui->paperLabel, &P::PaperLabel)
        .integer(m_ui->sizeX, &P::SizeX, ruleOf(&P::SizeX))
        .integer(m_ui->sizeY, &P::SizeY, ruleOf(&P::SizeY))
        .integer(m_ui->skipX, &P::SkipX, ruleOf(&P::SkipX))
        .integer(m_ui->skipY, &P::SkipY, ruleOf(&P::SkipY))
        .integer(m_ui->offsetX, &P::OffsetX)
        .integer(m_ui->offsetY, &P::OffsetY);
    // The number fields take digit keys only.
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* field : {m_ui->sizeX, m_ui->sizeY, m_ui->skipX, m_ui->skipY, m_ui->offsetX, m_ui->offsetY})
        field->setValidator(digits);
    connect(m_ui->standardButton, &QPushButton::clicked, this, &PaperSizeDialog::onGetStandardValues);
    connectPreview();
}

PaperSizeDialog::~PaperSizeDialog() = default;

void PaperSizeDialog::fillControls()
{
    showValues();
    QComboBox* headers = m_ui->headerBitmap;
    if (m_headers && m_headers->size() > 0) {
        int selected = -1;
        for (const HeaderRecord& header : *m_headers) {
            if (selected < 0 && header.Name == m_paper.HeaderName)
                selected = headers->count();
            headers->addItem(toQt(header.Name, m_encoding));
        }
        headers->setCurrentIndex(selected);
    } else {
        headers->setEnabled(false);
    }
    m_ui->saveButton->setText(QStringLiteral("&Save"));
    m_ui->cancelButton->setText(QStringLiteral("&Cancel"));
    updatePreview();
}

bool PaperSizeDialog::readControls()
{
    FieldReader read(m_interaction, this, m_encoding);
    return m_bindings.read(m_paper, read);
}

void PaperSizeDialog::showValues()
{
    m_bindings.show(m_paper, m_encoding);
}

void PaperSizeDialog::onGetStandardValues()
{
    // A field that cannot be read keeps the dialog as it is: the message has
    // been shown and the focus is on that field.
    if (!readControls())
        return;
    StandardPaperSizeDialog standard(m_interaction, m_encoding, this);
    if (m_interaction.runModal(standard) == QDialog::Accepted) {
        m_paper.SizeX = standard.Width;
        m_paper.SizeY = standard.Height;
        m_paper.PaperLabel = standard.PaperLabel;
    }
    showValues();
}

void PaperSizeDialog::accept()
{
    if (!readControls())
        return;
    if (m_paper.Name.empty()) {
        m_interaction.tell(this,
                           QStringLiteral("No title for paper size defined. Fill in a proper title that is available "
                                          "at your printing client, i.e. '14INX17IN'."),
                           Interaction::Icon::Error);
        return;
    }
    if (m_paper.SizeX == 0 || m_paper.SizeY == 0) {
        m_interaction.tell(
            this,
            QStringLiteral("No proper page size defined. A Page can not have the width or height defined with 0."),
            Interaction::Icon::Error);
        return;
    }
    if (m_nameTaken && m_nameTaken(m_paper.Name)) {
        m_interaction.tell(this, QStringLiteral("Paper already exists"), Interaction::Icon::None);
        return;
    }
    if (m_paper.PaperLabel.empty() &&
        !m_interaction.askYesNo(this,
                                QStringLiteral("No proper paper label defined. The selection of the correct paper "
                                               "tray of the printer might fail. Close the paper dialog?"),
                                Interaction::Icon::Warning))
        return;
    // The header's own name, not the text shown for it.
    if (m_ui->headerBitmap->isEnabled() && m_headers)
        if (const HeaderRecord* header = m_headers->at(m_ui->headerBitmap->currentIndex()))
            m_paper.HeaderName = header->Name;
    QDialog::accept();
}

void PaperSizeDialog::connectPreview()
{
    // The preview takes what the fields leave over: it grows with the
    // window and is the first to give way when the window is small.
    m_ui->grid->setColumnStretch(3, 1);
    m_ui->grid->setRowStretch(10, 1);
    for (QLineEdit* field : {m_ui->sizeX, m_ui->sizeY, m_ui->skipX, m_ui->skipY, m_ui->offsetX, m_ui->offsetY})
        connect(field, &QLineEdit::textChanged, this, &PaperSizeDialog::updatePreview);
    connect(m_ui->headerBitmap, &QComboBox::currentIndexChanged, this, &PaperSizeDialog::updatePreview);

    // Open wide enough for a readable picture beside the fields, within
    // the screen.
    QSize size = sizeHint() + kPreviewRoom;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size.expandedTo(minimumSizeHint()));
}

void PaperSizeDialog::updatePreview()
{
    PagePreview* preview = m_ui->preview;
    // An empty or unreadable field keeps the last good value; no message.
    PaperRecord shown = preview->paper();
    m_bindings.peek(shown);
    preview->setPaper(shown);

    // The header the paper would have if saved now: the chosen item, else
    // the name it came with. The server looks it up by name.
    std::string name = m_paper.HeaderName;
    if (m_headers && m_ui->headerBitmap->isEnabled())
        if (const HeaderRecord* chosen = m_headers->at(m_ui->headerBitmap->currentIndex()))
            name = chosen->Name;
    const HeaderRecord* header = m_headers ? m_headers->find(name) : nullptr;
    preview->setHeader(toQt(name, m_encoding), header != nullptr,
                       header ? toQt(header->IncludeFile, m_encoding) : QString());
}
