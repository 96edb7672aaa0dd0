#include "wizard/WizardLayoutPage.h"

#include "config/ConfigKeys.h"
#include "config/StandardPaperSizes.h"
#include "config/Vocabulary.h"
#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizardLayoutPage.h"

namespace {

// The densities offered, black to white.
QStringList offeredDensities()
{
    QStringList texts;
    for (const DensityMode& density :
         {DensityMode::black(), DensityMode::custom(40), DensityMode::custom(150), DensityMode::white()})
        texts << QString::fromStdString(density.toText());
    return texts;
}

// A vocabulary's words, in code order.
QStringList wordsOf(const WordList& words)
{
    QStringList texts;
    for (const std::string& word : vocabularyWords(words))
        texts << QString::fromStdString(word);
    return texts;
}

// The text of the chosen item, empty when none is chosen.
std::string chosenText(const QComboBox* list)
{
    return list->currentIndex() < 0 ? std::string() : list->currentText().toStdString();
}

void showChosenText(QComboBox* list, const std::string& text)
{
    list->setCurrentIndex(text.empty() ? -1 : list->findText(QString::fromStdString(text), Qt::MatchExactly));
}

// Step of the image distance's up-down buttons.
constexpr double kImageDistanceStep = 0.01;

} // namespace

WizardLayoutPage::WizardLayoutPage(ConfigurationWizard& wizard)
    : WizardPage(wizard, true, false), m_ui(std::make_unique<Ui::WizardLayoutPage>())
{
    m_ui->setupUi(content());
    for (const StandardPaperSize& size : standardPaperSizes())
        m_ui->paperSize->addItem(QString::fromLatin1(size.name));
    m_ui->orientation->addItems(wordsOf(*keyOf(&LayoutRecord::Orientation)->words));
    m_ui->borderDensity->addItems(offeredDensities());
    m_ui->emptyDensity->addItems(offeredDensities());
    showValues();
    // The buttons stop at the key's limit for a new configuration.
    const double highest = *ruleOf(&LayoutRecord::ImageDistance).newServerStepLimit;
    connectReadStepShow(m_ui->imageDistanceSpin, m_ui->imageDistance, *this,
                        [this, highest](int d) { stepWithinBounds(m_imageDistance, d, kImageDistanceStep, highest); });
}

WizardLayoutPage::~WizardLayoutPage() = default;

bool WizardLayoutPage::readControls()
{
    FieldReader read = fieldReader();
    read.text(m_ui->layoutTitle, m_layoutTitle)
        .index(m_ui->paperSize, m_paperFormat)
        .index(m_ui->orientation, m_orientation);
    if (read.ok()) {
        m_borderDensity = chosenText(m_ui->borderDensity);
        m_emptyDensity = chosenText(m_ui->emptyDensity);
    }
    read.real(m_ui->imageDistance, m_imageDistance).check(m_ui->trim, m_trim);
    return read.ok();
}

void WizardLayoutPage::showValues()
{
    showText(m_ui->layoutTitle, m_layoutTitle, textEncoding());
    showIndex(m_ui->paperSize, m_paperFormat);
    showIndex(m_ui->orientation, m_orientation);
    showChosenText(m_ui->borderDensity, m_borderDensity);
    showChosenText(m_ui->emptyDensity, m_emptyDensity);
    showReal(m_ui->imageDistance, m_imageDistance);
    showCheck(m_ui->trim, m_trim);
}

bool WizardLayoutPage::validatePage()
{
    if (!readControls())
        return false;
    if (m_layoutTitle.empty() || m_paperFormat < 0 || m_orientation < 0 || m_borderDensity.empty() ||
        m_emptyDensity.empty()) {
        refuse(QStringLiteral("Missing values. Please, make a selection in all fields."));
        return false;
    }
    WizardResult& answers = result();
    answers.PaperName = m_layoutTitle;
    answers.PaperFormat = m_paperFormat;
    answers.Orientation = m_orientation;
    answers.BorderDensity = m_borderDensity;
    answers.EmptyImageDensity = m_emptyDensity;
    answers.ImageDistance = m_imageDistance;
    answers.Trim = m_trim;
    return true;
}
