#include "wizard/WizardPrinterPage.h"

#include "diagnostics/PrinterDiagnostics.h"
#include "ui/Fields.h"
#include "ui_WizardPrinterPage.h"
#include "wizard/ConfigurationWizard.h"

WizardPrinterPage::WizardPrinterPage(ConfigurationWizard& wizard)
    : WizardPage(wizard, true, false), m_ui(std::make_unique<Ui::WizardPrinterPage>())
{
    m_ui->setupUi(content());
    using P = WizardPrinterPage;
    m_bindings.text(m_ui->description, &P::m_description)
        .text(m_ui->aeTitle, &P::m_aeTitle)
        .check(m_ui->grayscale, &P::m_grayscale)
        .radio({m_ui->networkPrinter, m_ui->localPrinter}, &P::m_kind)
        .text(m_ui->address, &P::m_address)
        .text(m_ui->queue, &P::m_queue);
    showValues();
    connect(m_ui->networkPrinter, &QRadioButton::clicked, this, &WizardPrinterPage::deriveQueue);
    connect(m_ui->localPrinter, &QRadioButton::clicked, this, &WizardPrinterPage::deriveQueue);
    connect(m_ui->pingButton, &QPushButton::clicked, this, &WizardPrinterPage::onPing);
}

WizardPrinterPage::~WizardPrinterPage() = default;

void WizardPrinterPage::onSetActive()
{
    WizardPage::onSetActive();
    deriveQueue();
}

bool WizardPrinterPage::readControls()
{
    FieldReader read = fieldReader();
    return m_bindings.read(*this, read);
}

void WizardPrinterPage::showValues()
{
    m_bindings.show(*this, textEncoding());
}

void WizardPrinterPage::deriveQueue()
{
    readControls();
    const bool local = m_kind == LocalPrinter;
    m_queue = local ? std::string() : std::string("queue");
    m_ui->queue->setEnabled(local);
    m_ui->note->setVisible(local);
    showValues();
}

void WizardPrinterPage::onPing()
{
    readControls();
    std::string report;
    interaction().beginBusy();
    const bool reached =
        PrinterDiagnostics(static_cast<ConfigurationWizard*>(wizard())->diagnostics()).ping(m_address, report);
    interaction().endBusy();
    interaction().tell(this, toQt(report), reached ? Interaction::Icon::Information : Interaction::Icon::Warning);
    showValues();
}

bool WizardPrinterPage::validatePage()
{
    if (!readControls())
        return false;
    if (m_aeTitle.empty() || m_address.empty() || m_queue.empty()) {
        refuse(QStringLiteral("Missing values.\nPlease, fill out all edit fields."));
        return false;
    }
    WizardResult& answers = result();
    answers.PrinterDescription = m_description;
    answers.PrinterAETitle = m_aeTitle;
    answers.PrinterAddress = m_address;
    answers.PrinterQueue = m_queue;
    // "Grayscale printer" unticked means a colour printer.
    answers.ColorPrinter = !m_grayscale;
    return true;
}
