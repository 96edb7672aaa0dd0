#include "pages/DicomPage.h"

#include "config/Configuration.h"
#ifdef QUARVEL_DICOM
#include "dicom/Verification.h"
#include "pages/DicomTaskDialog.h"
#endif
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui_DicomPage.h"

DicomPage::DicomPage(PageHost& host, QWidget* parent)
    : ConfigPage(host, parent), m_ui(std::make_unique<Ui::DicomPage>())
{
    m_ui->setupUi(this);
    // No clamping on the buttons: the range is enforced by the next reading.
    connectReadStepShow(m_ui->copiesSpin, m_ui->copies, *this, [this](int direction) { m_copies += direction; });
#ifdef QUARVEL_DICOM
    connect(m_ui->verifyServer, &QPushButton::clicked, this, &DicomPage::onVerifyServer);
#else
    m_ui->verifyServer->hide();
#endif
}

void DicomPage::onVerifyServer()
{
#ifdef QUARVEL_DICOM
    // The port as typed; the page's values go to the record only when it is left.
    if (!readControls())
        return;
    const std::vector<std::string> titles = verificationTitles(configuration());
    DicomPeer peer;
    peer.port = m_port;
    if (titles.empty()) {
        interaction().tell(this, QStringLiteral("No AE title to verify."), Interaction::Icon::Warning);
        return;
    }
    std::vector<EchoResult> results;
    DicomTaskDialog task(QStringLiteral("Verifying the DICOM server at %1...").arg(toQt(peer.address())), this);
    const bool finished =
        task.run(interaction(), [&](DicomCancel& cancel) { results = verifyServer(peer, titles, cancel); });
    QStringList lines;
    int answered = 0;
    for (const EchoResult& result : results) {
        lines << toQt(echoLine(result, peer));
        answered += result.outcome == DicomOutcome::Answered;
    }
    const QString where = toQt(peer.address());
    QString text;
    if (!finished)
        text = QStringLiteral("Verification cancelled.");
    else if (answered == static_cast<int>(results.size()))
        text = QStringLiteral("SUCCESS!\n\nEvery AE title answered at %1.").arg(where);
    else
        text = QStringLiteral("FAILED!\n\n%1 of %2 AE titles did not answer at %3.")
                   .arg(results.size() - static_cast<std::size_t>(answered))
                   .arg(results.size())
                   .arg(where);
    if (!lines.isEmpty())
        text += QStringLiteral("\n\n") + lines.join(QLatin1Char('\n'));
    interaction().tell(this, text,
                       finished && answered == static_cast<int>(results.size()) ? Interaction::Icon::Information
                                                                                : Interaction::Icon::Warning);
#endif
}

DicomPage::~DicomPage() = default;

void DicomPage::onSetActive()
{
    clearCheckDone();
    const Configuration& c = configuration();
    m_printerName = c.PrinterName;
    m_acceptGrayscale = c.BasicGrayscaleMetaSOPClass;
    m_acceptColor = c.BasicColorMetaSOPClass;
    m_supportAnnotations = c.Annotation;
    m_supportPrintJob = c.PrintJob;
    m_copies = c.Copies;
    m_priority = c.Priority;
    m_medium = c.MediumType;
    m_destination = c.Destination;
    m_sessionLabel = c.Label;
    m_useCmyk = c.UseCMYK;
    m_printGrayscale = !c.SupportsColorImage;
    m_lenientMode = c.LenientMode;
    m_ignoreMagnification = c.IgnoreMagnificationType;
    m_ignoreConfiguration = c.IgnoreConfigurationInformation;
    m_ignoreAnnotationFormat = c.IgnoreAnnotationFormat;
    m_skipImagePixel = c.SkipImagePixel;
    m_port = c.Port;
    showValues();
}

bool DicomPage::onKillActive()
{
    if (!readControls())
        return false;
    Configuration& c = configuration();
    c.PrinterName = m_printerName;
    c.BasicGrayscaleMetaSOPClass = m_acceptGrayscale;
    c.BasicColorMetaSOPClass = m_acceptColor;
    c.Annotation = m_supportAnnotations;
    c.PrintJob = m_supportPrintJob;
    c.Copies = m_copies;
    c.Priority = m_priority;
    c.MediumType = m_medium;
    c.Destination = m_destination;
    c.Label = m_sessionLabel;
    c.UseCMYK = m_useCmyk;
    // "Print in grayscale" is the server's colour support switched off.
    c.SupportsColorImage = !m_printGrayscale;
    c.LenientMode = m_lenientMode;
    c.IgnoreMagnificationType = m_ignoreMagnification;
    c.IgnoreConfigurationInformation = m_ignoreConfiguration;
    c.IgnoreAnnotationFormat = m_ignoreAnnotationFormat;
    c.SkipImagePixel = m_skipImagePixel;
    c.Port = m_port;
    return true;
}

bool DicomPage::readControls()
{
    FieldReader read(interaction(), this);
    read.text(m_ui->printerName, m_printerName)
        .check(m_ui->acceptGrayscale, m_acceptGrayscale)
        .check(m_ui->acceptColor, m_acceptColor)
        .check(m_ui->supportAnnotations, m_supportAnnotations)
        .check(m_ui->supportPrintJob, m_supportPrintJob)
        .integer(m_ui->copies, m_copies, 1, kMaxCopies)
        .text(m_ui->sessionLabel, m_sessionLabel)
        .check(m_ui->useCmyk, m_useCmyk)
        .check(m_ui->printGrayscale, m_printGrayscale)
        .check(m_ui->lenientMode, m_lenientMode)
        .check(m_ui->ignoreMagnification, m_ignoreMagnification)
        .check(m_ui->ignoreConfiguration, m_ignoreConfiguration)
        .check(m_ui->skipImagePixel, m_skipImagePixel)
        .integer(m_ui->port, m_port, 0, kMaxPort)
        .index(m_ui->medium, m_medium)
        .index(m_ui->destination, m_destination)
        .index(m_ui->priority, m_priority)
        .check(m_ui->ignoreAnnotationFormat, m_ignoreAnnotationFormat);
    return read.ok();
}

void DicomPage::showValues()
{
    showText(m_ui->printerName, m_printerName);
    showCheck(m_ui->acceptGrayscale, m_acceptGrayscale);
    showCheck(m_ui->acceptColor, m_acceptColor);
    showCheck(m_ui->supportAnnotations, m_supportAnnotations);
    showCheck(m_ui->supportPrintJob, m_supportPrintJob);
    showInteger(m_ui->copies, m_copies);
    showIndex(m_ui->priority, m_priority);
    showIndex(m_ui->medium, m_medium);
    showIndex(m_ui->destination, m_destination);
    showText(m_ui->sessionLabel, m_sessionLabel);
    showCheck(m_ui->useCmyk, m_useCmyk);
    showCheck(m_ui->printGrayscale, m_printGrayscale);
    showCheck(m_ui->lenientMode, m_lenientMode);
    showCheck(m_ui->ignoreMagnification, m_ignoreMagnification);
    showCheck(m_ui->ignoreConfiguration, m_ignoreConfiguration);
    showCheck(m_ui->ignoreAnnotationFormat, m_ignoreAnnotationFormat);
    showCheck(m_ui->skipImagePixel, m_skipImagePixel);
    showInteger(m_ui->port, m_port);
}
