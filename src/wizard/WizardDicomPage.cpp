#include "wizard/WizardDicomPage.h"

#include <QRegularExpressionValidator>

#include "config/Records.h"
#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizardDicomPage.h"

namespace {

// The ports the wizard accepts.
constexpr int kMinPort = DicomSettings::kWizardPortBounds.low;
constexpr int kMaxPort = DicomSettings::kWizardPortBounds.high;

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
    connectReadStepShow(m_ui->portSpin, m_ui->port, *this, [this](int d) { stepWithinBounds(m_port, d, 1, kMaxPort); });
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
    if (m_port < kMinPort || m_port > kMaxPort) {
        refuse(QStringLiteral("Please, use a port between 1 and 65000. Make sure the port is not in use\nby another "
                              "application. The ZELNOR server will not work if the selected port\nis already in use."));
        return false;
    }
    WizardResult& answers = result();
    answers.ServerName = m_serverName;
    answers.GrayscaleClass = m_acceptGrayscale;
    answers.ColorClass = m_acceptColor;
    answers.Port = m_port;
    return true;
}
