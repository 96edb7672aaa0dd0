#include "wizard/WizPage1.h"

#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizPage1.h"

CWizPage1::CWizPage1(CConfigurationWizard& wizard)
    : CWizardPageBase(wizard, false, false), m_ui(std::make_unique<Ui::CWizPage1>())
{
    m_ui->setupUi(Content());
    ShowValues();
}

CWizPage1::~CWizPage1() = default;

bool CWizPage1::ReadControls()
{
    return FieldReader(interaction(), this).text(m_ui->configurationName, m_name).ok();
}

void CWizPage1::ShowValues()
{
    ShowText(m_ui->configurationName, m_name);
}

bool CWizPage1::validatePage()
{
    if (!ReadControls())
        return false;
    if (m_name.empty()) {
        Refuse(QStringLiteral("No name for the configuration entered.\nPlease, enter a name."));
        return false;
    }
    Result().ConfigurationName = m_name;
    return true;
}
