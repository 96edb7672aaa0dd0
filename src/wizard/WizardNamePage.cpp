#include "wizard/WizardNamePage.h"

#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizardNamePage.h"

WizardNamePage::WizardNamePage(ConfigurationWizard& wizard)
    : WizardPage(wizard, false, false), m_ui(std::make_unique<Ui::WizardNamePage>())
{
    m_ui->setupUi(content());
    showValues();
}

WizardNamePage::~WizardNamePage() = default;

bool WizardNamePage::readControls()
{
    return fieldReader().text(m_ui->configurationName, m_name).ok();
}

void WizardNamePage::showValues()
{
    showText(m_ui->configurationName, m_name, textEncoding());
}

bool WizardNamePage::validatePage()
{
    if (!readControls())
        return false;
    if (m_name.empty()) {
        refuse(QStringLiteral("No name for the configuration entered.\nPlease, enter a name."));
        return false;
    }
    result().ConfigurationName = m_name;
    return true;
}
