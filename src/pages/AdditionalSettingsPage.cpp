#include "pages/AdditionalSettingsPage.h"

#include <QCheckBox>
#include <QComboBox>

#include "config/Configuration.h"
#include "config/Vocabulary.h"
#include "ui/Fields.h"
#include "ui/PagePreview.h"
#include "ui/UpDownButtons.h"
#include "ui_AdditionalSettingsPage.h"

namespace {

// Steps and upper bounds of the up-down buttons (the lower bound is 0).
constexpr double kRealStep = 0.01;
constexpr double kNoLimit = -1;
constexpr double kMaxImageDistance = 10000.0;
constexpr int kMaxDensity = 200;
constexpr int kMaxFontSize = 100;
constexpr int kMaxPosition = 100;

} // namespace

AdditionalSettingsPage::AdditionalSettingsPage(PageHost& host, QWidget* parent)
    : ConfigPage(host, parent), m_ui(std::make_unique<Ui::AdditionalSettingsPage>())
{
    m_ui->setupUi(this);
    // On a screen too narrow for the page the preview gives way entirely, so
    // that the settings themselves never need a sideways scroll.
    m_ui->preview->setMinimumSize(1, 1);
    m_border = {m_ui->borderBlack, m_ui->borderWhite, m_ui->borderCustom, m_ui->borderDensity, m_ui->borderDensitySpin};
    m_empty = {m_ui->emptyBlack, m_ui->emptyWhite, m_ui->emptyCustom, m_ui->emptyDensity, m_ui->emptyDensitySpin};

    for (Density* density : {&m_border, &m_empty})
        for (QAbstractButton* radio : {density->black, density->white, density->custom})
            connect(radio, &QAbstractButton::clicked, this, [this, density] { onDensityRadio(*density); });

    // Steps and bounds of the up-down buttons; the bounds hold only here,
    // typed values are taken as they are.
    connectReadStepShow(m_ui->imageDistanceSpin, m_ui->imageDistance, *this,
                        [this](int d) { stepWithinBounds(m_imageDistance, d, kRealStep, kMaxImageDistance); });
    connectReadStepShow(m_ui->trimWidthSpin, m_ui->trimWidth, *this,
                        [this](int d) { stepWithinBounds(m_trimWidth, d, kRealStep, kNoLimit); });
    connectReadStepShow(m_ui->borderDensitySpin, m_ui->borderDensity, *this,
                        [this](int d) { stepWithinBounds(m_border.value, d, 1, kMaxDensity); });
    connectReadStepShow(m_ui->emptyDensitySpin, m_ui->emptyDensity, *this,
                        [this](int d) { stepWithinBounds(m_empty.value, d, 1, kMaxDensity); });
    connectReadStepShow(m_ui->fontSizeSpin, m_ui->fontSize, *this,
                        [this](int d) { stepWithinBounds(m_fontSize, d, 1, kMaxFontSize); });
    connectReadStepShow(m_ui->positionXSpin, m_ui->positionX, *this,
                        [this](int d) { stepWithinBounds(m_positionX, d, 1, kMaxPosition); });
    connectReadStepShow(m_ui->positionYSpin, m_ui->positionY, *this,
                        [this](int d) { stepWithinBounds(m_positionY, d, 1, kMaxPosition); });
    connectPreview();
}

AdditionalSettingsPage::~AdditionalSettingsPage() = default;

void AdditionalSettingsPage::onSetActive()
{
    clearCheckDone();
    rebuildPageSizeList();
    const Configuration& c = configuration();
    m_description = c.Layout.Description;
    m_imageDistance = c.Layout.ImageDistance;
    m_trimWidth = c.Layout.TrimWidth;
    m_trimImages = c.Layout.Trim;
    m_orientation = c.Layout.Orientation;
    m_includeLabel = c.IncludeLabel;
    m_labelText = c.Text;
    m_positionX = c.PositionX;
    m_positionY = c.PositionY;
    m_fontSize = c.LabelSize;
    loadDensity(m_border, c.Layout.BorderDensity);
    loadDensity(m_empty, c.Layout.EmptyImageDensity);
    showValues();
    applyDensityEnabling(m_border);
    applyDensityEnabling(m_empty);
    updatePreview();
}

void AdditionalSettingsPage::rebuildPageSizeList()
{
    // Offered: the papers' names. Selected: the paper named exactly as
    // PageSize, else the last one equal to it without regard to case, so a
    // valid PageSize never changes by a mere visit.
    const Configuration& c = configuration();
    QComboBox* list = m_ui->pageSize;
    list->clear();
    int exact = -1;
    int caseBlind = -1;
    const QString wanted = toQt(c.Layout.PageSize);
    for (const PaperRecord& paper : c.Papers) {
        const QString name = toQt(paper.Name);
        if (exact < 0 && paper.Name == c.Layout.PageSize)
            exact = list->count();
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            caseBlind = list->count();
        list->addItem(name);
    }
    m_pageSizeIndex = exact >= 0 ? exact : caseBlind;
    list->setCurrentIndex(m_pageSizeIndex);
}

void AdditionalSettingsPage::loadDensity(Density& density, const std::string& text)
{
    const DensityMode mode = DensityMode::fromText(text);
    density.mode = mode.mode();
    if (mode.mode() == DensityCustom)
        density.value = mode.value();
}

void AdditionalSettingsPage::applyDensityEnabling(const Density& density)
{
    const bool custom = density.mode == DensityCustom;
    density.number->setEnabled(custom);
    density.spin->setEnabled(custom);
}

void AdditionalSettingsPage::onDensityRadio(Density& density)
{
    readControls();
    applyDensityEnabling(density);
    showValues();
}

bool AdditionalSettingsPage::onKillActive()
{
    if (!readControls())
        return false;
    Configuration& c = configuration();
    c.Layout.Description = m_description;
    c.Layout.ImageDistance = m_imageDistance;
    c.Layout.TrimWidth = m_trimWidth;
    // The paper's own name, never the text shown for it.
    const PaperRecord* paper = c.Papers.getAt(m_pageSizeIndex);
    c.Layout.PageSize = paper ? paper->Name : std::string();
    c.Layout.Orientation = m_orientation;
    c.Layout.BorderDensity = DensityMode(m_border.mode, m_border.value).toText();
    c.Layout.EmptyImageDensity = DensityMode(m_empty.mode, m_empty.value).toText();
    c.Layout.Trim = m_trimImages;
    c.IncludeLabel = m_includeLabel;
    c.LabelSize = m_fontSize;
    c.PositionX = m_positionX;
    c.PositionY = m_positionY;
    c.Text = m_labelText;
    return true;
}

bool AdditionalSettingsPage::readControls()
{
    FieldReader read(interaction(), this);
    read.text(m_ui->description, m_description)
        .real(m_ui->imageDistance, m_imageDistance)
        .real(m_ui->trimWidth, m_trimWidth)
        .index(m_ui->orientation, m_orientation)
        .radio({m_border.black, m_border.white, m_border.custom}, m_border.mode)
        .radio({m_empty.black, m_empty.white, m_empty.custom}, m_empty.mode)
        .check(m_ui->trimImages, m_trimImages)
        .integer(m_border.number, m_border.value)
        .integer(m_empty.number, m_empty.value)
        .index(m_ui->pageSize, m_pageSizeIndex)
        .check(m_ui->includeLabel, m_includeLabel)
        .text(m_ui->labelText, m_labelText)
        .integer(m_ui->fontSize, m_fontSize)
        .integer(m_ui->positionX, m_positionX)
        .integer(m_ui->positionY, m_positionY);
    return read.ok();
}

void AdditionalSettingsPage::showValues()
{
    showText(m_ui->description, m_description);
    showReal(m_ui->imageDistance, m_imageDistance);
    showReal(m_ui->trimWidth, m_trimWidth);
    showIndex(m_ui->orientation, m_orientation);
    showRadio({m_border.black, m_border.white, m_border.custom}, m_border.mode);
    showRadio({m_empty.black, m_empty.white, m_empty.custom}, m_empty.mode);
    showCheck(m_ui->trimImages, m_trimImages);
    showInteger(m_border.number, m_border.value);
    showInteger(m_empty.number, m_empty.value);
    showIndex(m_ui->pageSize, m_pageSizeIndex);
    showCheck(m_ui->includeLabel, m_includeLabel);
    showText(m_ui->labelText, m_labelText);
    showInteger(m_ui->fontSize, m_fontSize);
    showInteger(m_ui->positionX, m_positionX);
    showInteger(m_ui->positionY, m_positionY);
}

void AdditionalSettingsPage::connectPreview()
{
    for (QLineEdit* field : {m_ui->imageDistance, m_ui->trimWidth, m_ui->borderDensity, m_ui->emptyDensity})
        connect(field, &QLineEdit::textChanged, this, &AdditionalSettingsPage::updatePreview);
    for (QComboBox* list : {m_ui->pageSize, m_ui->orientation})
        connect(list, &QComboBox::currentIndexChanged, this, &AdditionalSettingsPage::updatePreview);
    for (const Density* density : {&m_border, &m_empty})
        for (QAbstractButton* radio : {density->black, density->white, density->custom})
            connect(radio, &QAbstractButton::toggled, this, &AdditionalSettingsPage::updatePreview);
    connect(m_ui->trimImages, &QAbstractButton::toggled, this, &AdditionalSettingsPage::updatePreview);
}

void AdditionalSettingsPage::updatePreview()
{
    PagePreview* preview = m_ui->preview;
    // An unreadable number keeps the last good value; no message.
    LayoutSample sample = preview->layoutSample().value_or(LayoutSample{});
    sample.Landscape = m_ui->orientation->currentIndex() == 1;
    peekReal(m_ui->imageDistance, sample.ImageDistance);
    peekReal(m_ui->trimWidth, sample.TrimWidth);
    sample.Trim = m_ui->trimImages->isChecked();
    const auto density = [](const Density& d, int shown) {
        int number = shown;
        peekInteger(d.number, number);
        const int mode = d.custom->isChecked() ? DensityCustom : d.white->isChecked() ? DensityWhite : DensityBlack;
        return densityValue(mode, number);
    };
    sample.BorderDensity = density(m_border, sample.BorderDensity);
    sample.EmptyImageDensity = density(m_empty, sample.EmptyImageDensity);
    preview->setLayoutSample(sample);

    // The paper named by the selected item; the list holds the papers'
    // names in list order.
    if (const PaperRecord* paper = configuration().Papers.getAt(m_ui->pageSize->currentIndex()))
        preview->setPaper(*paper);
    else
        preview->clearPaper(QStringLiteral("No default page size selected."));
}
