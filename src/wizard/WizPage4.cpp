#include "wizard/WizPage4.h"

#include <QRegularExpressionValidator>

#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizPage4.h"

namespace {

// The ports the wizard accepts.
constexpr int kMinPort = 1;
constexpr int kMaxPort = 65000;

} // namespace

CWizPage4::CWizPage4(CConfigurationWizard& wizard)
    : CWizardPageBase(wizard, true, false), m_ui(std::make_unique<Ui::CWizPage4>())
{
    m_ui->setupUi(Content());
    m_ui->port->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    ShowValues();
    ConnectReadStepShow(m_ui->portSpin, m_ui->port, *this, [this](int d) { StepWithinBounds(m_port, d, 1, kMaxPort); });
}

CWizPage4::~CWizPage4() = default;

bool CWizPage4::ReadControls()
{
    FieldReader read(interaction(), this);
    read.text(m_ui->serverName, m_serverName)
        .integer(m_ui->port, m_port)
        .check(m_ui->acceptGrayscale, m_acceptGrayscale)
        .check(m_ui->acceptColor, m_acceptColor);
    return read.ok();
}

void CWizPage4::ShowValues()
{
    ShowText(m_ui->serverName, m_serverName);
    ShowInteger(m_ui->port, m_port);
    ShowCheck(m_ui->acceptGrayscale, m_acceptGrayscale);
    ShowCheck(m_ui->acceptColor, m_acceptColor);
}

bool CWizPage4::validatePage()
{
    if (!ReadControls())
        return false;
    if (m_serverName.empty()) {
        Refuse(QStringLiteral("Please, fill in a name."));
        return false;
    }
    if (m_port < kMinPort || m_port > kMaxPort) {
        Refuse(QStringLiteral("Please, use a port between 1 and 65000. Make sure the port is not in use\nby another "
                              "application. The ZELNOR server will not work if the selected port\nis already in use."));
        return false;
    }
    sWizardResult& result = Result();
    result.ServerName = m_serverName;
    result.GrayscaleClass = m_acceptGrayscale;
    result.ColorClass = m_acceptColor;
    result.Port = m_port;
    return true;
}
