#include "pages/DicomPage.h"

#include "config/Configuration.h"
#include "ui_DicomPage.h"

DicomPage::DicomPage(PageHost& host, QWidget* parent)
    : ConfigPage(host, parent), m_ui(std::make_unique<Ui::DicomPage>())
{
    m_ui->setupUi(this);
    using S = DicomSettings;
    // In the order the fields are read.
    m_bindings.text(m_ui->printerName, &S::PrinterName)
        .check(m_ui->acceptGrayscale, &S::BasicGrayscaleMetaSOPClass)
        .check(m_ui->acceptColor, &S::BasicColorMetaSOPClass)
        .check(m_ui->supportAnnotations, &S::Annotation)
        .check(m_ui->supportPrintJob, &S::PrintJob)
        .integer(m_ui->copies, &S::Copies, &S::kCopiesBounds)
        .text(m_ui->sessionLabel, &S::Label)
        .check(m_ui->useCmyk, &S::UseCMYK)
        // "Print in grayscale" is the server's colour support switched off.
        .uncheck(m_ui->printGrayscale, &S::SupportsColorImage)
        .check(m_ui->lenientMode, &S::LenientMode)
        .check(m_ui->ignoreMagnification, &S::IgnoreMagnificationType)
        .check(m_ui->ignoreConfiguration, &S::IgnoreConfigurationInformation)
        .check(m_ui->skipImagePixel, &S::SkipImagePixel)
        .integer(m_ui->port, &S::Port, &S::kPortBounds)
        .code(m_ui->medium, &S::MediumType)
        .code(m_ui->destination, &S::Destination)
        .code(m_ui->priority, &S::Priority)
        .check(m_ui->ignoreAnnotationFormat, &S::IgnoreAnnotationFormat);
    // No clamping on the buttons: the range is enforced by the next reading.
    connectReadStepShow(m_ui->copiesSpin, m_ui->copies, *this, [this](int direction) { m_values.Copies += direction; });
}

DicomPage::~DicomPage() = default;

void DicomPage::onSetActive()
{
    clearCheckDone();
    m_values = configuration();
    showValues();
}

bool DicomPage::onKillActive()
{
    if (!readControls())
        return false;
    static_cast<DicomSettings&>(configuration()) = m_values;
    return true;
}

bool DicomPage::readControls()
{
    FieldReader read = fieldReader();
    return m_bindings.read(m_values, read);
}

void DicomPage::showValues()
{
    m_bindings.show(m_values, textEncoding());
}
