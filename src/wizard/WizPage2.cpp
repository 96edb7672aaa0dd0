#include "wizard/WizPage2.h"

#include "diagnostics/PrinterTest.h"
#include "ui/Fields.h"
#include "ui_WizPage2.h"
#include "wizard/ConfigurationWizard.h"

CWizPage2::CWizPage2(CConfigurationWizard& wizard)
    : CWizardPageBase(wizard, true, false), m_ui(std::make_unique<Ui::CWizPage2>())
{
    m_ui->setupUi(Content());
    ShowValues();
    connect(m_ui->networkPrinter, &QRadioButton::clicked, this, &CWizPage2::DeriveQueue);
    connect(m_ui->localPrinter, &QRadioButton::clicked, this, &CWizPage2::DeriveQueue);
    connect(m_ui->pingButton, &QPushButton::clicked, this, &CWizPage2::OnPing);
}

CWizPage2::~CWizPage2() = default;

void CWizPage2::onSetActive()
{
    CWizardPageBase::onSetActive();
    DeriveQueue();
}

bool CWizPage2::ReadControls()
{
    FieldReader read(interaction(), this);
    read.text(m_ui->description, m_description)
        .text(m_ui->aeTitle, m_aeTitle)
        .check(m_ui->grayscale, m_grayscale)
        .radio({m_ui->networkPrinter, m_ui->localPrinter}, m_kind)
        .text(m_ui->address, m_address)
        .text(m_ui->queue, m_queue);
    return read.ok();
}

void CWizPage2::ShowValues()
{
    ShowText(m_ui->description, m_description);
    ShowText(m_ui->aeTitle, m_aeTitle);
    ShowCheck(m_ui->grayscale, m_grayscale);
    ShowRadio({m_ui->networkPrinter, m_ui->localPrinter}, m_kind);
    ShowText(m_ui->address, m_address);
    ShowText(m_ui->queue, m_queue);
}

void CWizPage2::DeriveQueue()
{
    ReadControls();
    const bool local = m_kind == LocalPrinter;
    m_queue = local ? std::string() : std::string("queue");
    m_ui->queue->setEnabled(local);
    m_ui->note->setVisible(local);
    ShowValues();
}

void CWizPage2::OnPing()
{
    ReadControls();
    std::string report;
    interaction().beginBusy();
    const bool reached =
        CPrinterTest(static_cast<CConfigurationWizard*>(wizard())->Diagnostics()).Ping(m_address, report);
    interaction().endBusy();
    interaction().tell(this, ToQt(report), reached ? Interaction::Icon::Information : Interaction::Icon::Warning);
    ShowValues();
}

bool CWizPage2::validatePage()
{
    if (!ReadControls())
        return false;
    if (m_aeTitle.empty() || m_address.empty() || m_queue.empty()) {
        Refuse(QStringLiteral("Missing values.\nPlease, fill out all edit fields."));
        return false;
    }
    sWizardResult& result = Result();
    result.PrinterDescription = m_description;
    result.PrinterAETitle = m_aeTitle;
    result.PrinterAddress = m_address;
    result.PrinterQueue = m_queue;
    // "Grayscale printer" unticked means a colour printer.
    result.ColorPrinter = !m_grayscale;
    return true;
}
