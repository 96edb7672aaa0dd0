#include "wizard/WizPage3.h"

#include "config/StandardPaperSizes.h"
#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizPage3.h"

namespace {

const QStringList kDensities = {QStringLiteral("BLACK"), QStringLiteral("40"), QStringLiteral("150"),
                                QStringLiteral("WHITE")};

// The text of the chosen item, empty when none is chosen.
std::string ChosenText(const QComboBox* list)
{
    return list->currentIndex() < 0 ? std::string() : list->currentText().toStdString();
}

void ShowChosenText(QComboBox* list, const std::string& text)
{
    list->setCurrentIndex(text.empty() ? -1 : list->findText(ToQt(text), Qt::MatchExactly));
}

// Step and upper bound of the image distance's up-down buttons.
constexpr double kImageDistanceStep = 0.01;
constexpr double kMaxImageDistance = 1000.0;

} // namespace

CWizPage3::CWizPage3(CConfigurationWizard& wizard)
    : CWizardPageBase(wizard, true, false), m_ui(std::make_unique<Ui::CWizPage3>())
{
    m_ui->setupUi(Content());
    for (const StandardPaperSize& size : StandardPaperSizes())
        m_ui->paperSize->addItem(QString::fromLatin1(size.name));
    m_ui->orientation->addItems({QStringLiteral("PORTRAIT"), QStringLiteral("LANDSCAPE")});
    m_ui->borderDensity->addItems(kDensities);
    m_ui->emptyDensity->addItems(kDensities);
    ShowValues();
    ConnectReadStepShow(m_ui->imageDistanceSpin, m_ui->imageDistance, *this,
                        [this](int d) { StepWithinBounds(m_imageDistance, d, kImageDistanceStep, kMaxImageDistance); });
}

CWizPage3::~CWizPage3() = default;

bool CWizPage3::ReadControls()
{
    FieldReader read(interaction(), this);
    read.text(m_ui->layoutTitle, m_layoutTitle)
        .index(m_ui->paperSize, m_paperFormat)
        .index(m_ui->orientation, m_orientation);
    if (read.ok()) {
        m_borderDensity = ChosenText(m_ui->borderDensity);
        m_emptyDensity = ChosenText(m_ui->emptyDensity);
    }
    read.real(m_ui->imageDistance, m_imageDistance).check(m_ui->trim, m_trim);
    return read.ok();
}

void CWizPage3::ShowValues()
{
    ShowText(m_ui->layoutTitle, m_layoutTitle);
    ShowIndex(m_ui->paperSize, m_paperFormat);
    ShowIndex(m_ui->orientation, m_orientation);
    ShowChosenText(m_ui->borderDensity, m_borderDensity);
    ShowChosenText(m_ui->emptyDensity, m_emptyDensity);
    ShowReal(m_ui->imageDistance, m_imageDistance);
    ShowCheck(m_ui->trim, m_trim);
}

bool CWizPage3::validatePage()
{
    if (!ReadControls())
        return false;
    if (m_layoutTitle.empty() || m_paperFormat < 0 || m_orientation < 0 || m_borderDensity.empty() ||
        m_emptyDensity.empty()) {
        Refuse(QStringLiteral("Missing values. Please, make a selection in all fields."));
        return false;
    }
    sWizardResult& result = Result();
    result.PaperName = m_layoutTitle;
    result.PaperFormat = m_paperFormat;
    result.Orientation = m_orientation;
    result.BorderDensity = m_borderDensity;
    result.EmptyImageDensity = m_emptyDensity;
    result.ImageDistance = m_imageDistance;
    result.Trim = m_trim;
    return true;
}
