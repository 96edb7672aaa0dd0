#include "wizard/WizardDicomPage.h"

#include <QRegularExpressionValidator>

#include "config/ConfigKeys.h"
#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizardDicomPage.h"

namespace {

// The ports the wizard accepts, from the key table.
Bounds<int> newServerPorts()
{
    return *ruleOf(&DicomSettings::Port).newServerAccepted;
}

} // namespace

WizardDicomPage::WizardDicomPage(ConfigurationWizard& wizard)
    : WizardPage(wizard, true, false), m_ui(std::make_unique<Ui::WizardDicomPage>())
{
    m_ui->setupUi(content());
    m_ui->port->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    // The port's range is checked on Next, with the wizard's own message.
    using P = WizardDicomPage;
    m_bindings.text(m_ui->serverName, &P::m_serverName)
        .integer(m_ui->port, &P::m_port)
        .check(m_ui->acceptGrayscale, &P::m_acceptGrayscale)
        .check(m_ui->acceptColor, &P::m_acceptColor);
    showValues();
    connectReadStepShow(m_ui->portSpin, m_ui->port, *this,
                        [this](int d) { stepWithinBounds(m_port, d, 1, newServerPorts().high); });
}

WizardDicomPage::~WizardDicomPage() = default;

bool WizardDicomPage::readControls()
{
    FieldReader read = fieldReader();
    return m_bindings.read(*this, read);
}

void WizardDicomPage::showValues()
{
    m_bindings.show(*this, textEncoding());
}

bool WizardDicomPage::validatePage()
{
    if (!readControls())
        return false;
    if (m_serverName.empty()) {
        refuse(QStringLiteral("Please, fill in a name."));
        return false;
    }
    if (const Bounds<int> ports = newServerPorts(); m_port < ports.low || m_port > ports.high) {
        refuse(QStringLiteral("Please, use a port between %1 and %2. Make sure the port is not in use\nby another "
                              "application. The ZELNOR server will not work if the selected port\nis already in use.")
                   .arg(ports.low)
                   .arg(ports.high));
        return false;
    }
    WizardResult& answers = result();
    answers.ServerName = m_serverName;
    answers.GrayscaleClass = m_acceptGrayscale;
    answers.ColorClass = m_acceptColor;
    answers.Port = m_port;
    return true;
}
