#include "pages/AdditionalSettingsPage.h"

#include <QCheckBox>
#include <QComboBox>

#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/Vocabulary.h"
#include "pages/ConfigChange.h"
#include "pages/PagePreview.h"
#include "ui/Fields.h"
#include "ui/UpDownButtons.h"
#include "ui_AdditionalSettingsPage.h"

namespace {

// The step of the real fields' up-down buttons.
constexpr double kRealStep = 0.01;

// The upper limit of the up-down buttons of a key's field, as a value of the
// field's type; -1 (none) when the key has none.
template <typename T> T stepLimitOf(const ValueRule& rule)
{
    return rule.stepLimit ? static_cast<T>(*rule.stepLimit) : T(-1);
}

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

    for (const Density* density : {&m_border, &m_empty})
        for (QAbstractButton* radio : {density->black, density->white, density->custom})
            connect(radio, &QAbstractButton::clicked, this, [this, density] { onDensityRadio(*density); });

    using V = Values;
    // In the order the fields are read.
    m_bindings.text(m_ui->description, &V::Description)
        .real(m_ui->imageDistance, &V::ImageDistance, ruleOf(&LayoutRecord::ImageDistance))
        .real(m_ui->trimWidth, &V::TrimWidth, ruleOf(&LayoutRecord::TrimWidth))
        .code(m_ui->orientation, &V::Orientation, *keyOf(&LayoutRecord::Orientation)->words)
        .radio({m_border.black, m_border.white, m_border.custom}, &V::borderMode)
        .radio({m_empty.black, m_empty.white, m_empty.custom}, &V::emptyMode)
        .check(m_ui->trimImages, &V::Trim)
        .integer(m_border.number, &V::borderValue)
        .integer(m_empty.number, &V::emptyValue)
        .code(m_ui->pageSize, &V::pageSizeIndex)
        .check(m_ui->includeLabel, &V::IncludeLabel)
        .text(m_ui->labelText, &V::Text)
        .integer(m_ui->fontSize, &V::LabelSize)
        .integer(m_ui->positionX, &V::PositionX)
        .integer(m_ui->positionY, &V::PositionY);

    // Steps of the up-down buttons, up to the limit of the field's key; the
    // limits hold only here, typed values are taken as they are.
    const auto steps = [this](UpDownButtons* buttons, QLineEdit* field, auto member, auto step, const ValueRule& rule) {
        using T = decltype(step);
        const T high = stepLimitOf<T>(rule);
        connectReadStepShow(buttons, field, *this,
                            [this, member, step, high](int d) { stepWithinBounds(m_values.*member, d, step, high); });
    };
    using L = LayoutRecord;
    steps(m_ui->imageDistanceSpin, m_ui->imageDistance, &V::ImageDistance, kRealStep, ruleOf(&L::ImageDistance));
    steps(m_ui->trimWidthSpin, m_ui->trimWidth, &V::TrimWidth, kRealStep, ruleOf(&L::TrimWidth));
    steps(m_ui->borderDensitySpin, m_ui->borderDensity, &V::borderValue, 1, ruleOf(&L::BorderDensity));
    steps(m_ui->emptyDensitySpin, m_ui->emptyDensity, &V::emptyValue, 1, ruleOf(&L::EmptyImageDensity));
    steps(m_ui->fontSizeSpin, m_ui->fontSize, &V::LabelSize, 1, ruleOf(&V::LabelSize));
    steps(m_ui->positionXSpin, m_ui->positionX, &V::PositionX, 1, ruleOf(&V::PositionX));
    steps(m_ui->positionYSpin, m_ui->positionY, &V::PositionY, 1, ruleOf(&V::PositionY));
    connectPreview();
    commitOnEveryEdit();
}

AdditionalSettingsPage::~AdditionalSettingsPage() = default;

void AdditionalSettingsPage::onSetActive()
{
    clearCheckDone();
    rebuildPageSizeList();
    const Configuration& c = configuration();
    static_cast<PageLabelSettings&>(m_values) = c;
    m_values.Description = c.Layout.Description;
    m_values.ImageDistance = c.Layout.ImageDistance;
    m_values.TrimWidth = c.Layout.TrimWidth;
    m_values.Trim = c.Layout.Trim;
    m_values.Orientation = c.Layout.Orientation;
    loadDensity(m_values.borderMode, m_values.borderValue, c.Layout.BorderDensity);
    loadDensity(m_values.emptyMode, m_values.emptyValue, c.Layout.EmptyImageDensity);
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
    m_values.pageSizeIndex = exact >= 0 ? exact : caseBlind;
    list->setCurrentIndex(m_values.pageSizeIndex);
}

void AdditionalSettingsPage::loadDensity(int& mode, int& value, const std::string& text)
{
    const DensityMode density = DensityMode::fromText(text);
    mode = density.mode();
    if (mode == DensityCustom)
        value = density.value();
}

void AdditionalSettingsPage::applyDensityEnabling(const Density& density)
{
    const int mode = &density == &m_border ? m_values.borderMode : m_values.emptyMode;
    const bool custom = mode == DensityCustom;
    density.number->setEnabled(custom);
    density.spin->setEnabled(custom);
}

void AdditionalSettingsPage::onDensityRadio(const Density& density)
{
    readControls();
    applyDensityEnabling(density);
    showValues();
}

bool AdditionalSettingsPage::onKillActive()
{
    if (!readControls())
        return false;
    keep(m_values);
    return true;
}

void AdditionalSettingsPage::commitEdits()
{
    m_bindings.take(m_values, textEncoding());
    keep(m_values);
}

void AdditionalSettingsPage::keep(const Values& values)
{
    const Configuration& c = configuration();
    LayoutRecord layout = c.Layout;
    layout.Description = values.Description;
    layout.ImageDistance = values.ImageDistance;
    layout.TrimWidth = values.TrimWidth;
    // The paper's own name, never the text shown for it.
    const PaperRecord* paper = c.Papers.at(values.pageSizeIndex);
    layout.PageSize = paper ? paper->Name.str() : std::string();
    layout.Orientation = values.Orientation;
    layout.BorderDensity = DensityMode(values.borderMode, values.borderValue).toText();
    layout.EmptyImageDensity = DensityMode(values.emptyMode, values.emptyValue).toText();
    layout.Trim = values.Trim;
    const PageLabelSettings& label = values;
    const PageLabelSettings& labelNow = c;
    if (layout == c.Layout && label == labelNow)
        return;
    ConfigChange* settings = change(QStringLiteral("Change Additional Settings"));
    changes::set(
        *settings, [](Configuration& r) -> LayoutRecord& { return r.Layout; }, c.Layout, layout);
    changes::set(
        *settings, [](Configuration& r) -> PageLabelSettings& { return r; }, labelNow, label);
    record(settings);
}

bool AdditionalSettingsPage::readControls()
{
    FieldReader read = fieldReader();
    return m_bindings.read(m_values, read);
}

void AdditionalSettingsPage::showValues()
{
    m_bindings.show(m_values, textEncoding());
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
    if (const PaperRecord* paper = configuration().Papers.at(m_ui->pageSize->currentIndex()))
        preview->setPaper(*paper);
    else
        preview->clearPaper(QStringLiteral("No default page size selected."));
}
