#include "pages/DicomPage.h"

#include "config/Configuration.h"
#ifdef QUARVEL_DICOM
#include "dicom/DicomChecks.h"
#include "dicom/DicomPlugin.h"
#include "pages/DicomTaskDialog.h"
#endif
#include "pages/ConfigChange.h"
#include "ui/Interaction.h"
#include "ui_DicomPage.h"

DicomPage::DicomPage(PageHost& host, QWidget* parent)
    : ConfigPage(host, parent), m_ui(std::make_unique<Ui::DicomPage>())
{
    m_ui->setupUi(this);
    using S = DicomSettings;
    // In the order the fields are read; ranges and words from the key table.
    m_bindings.text(m_ui->printerName, &S::PrinterName)
        .check(m_ui->acceptGrayscale, &S::BasicGrayscaleMetaSOPClass)
        .check(m_ui->acceptColor, &S::BasicColorMetaSOPClass)
        .check(m_ui->supportAnnotations, &S::Annotation)
        .check(m_ui->supportPrintJob, &S::PrintJob)
        .integer(m_ui->copies, &S::Copies, ruleOf(&S::Copies))
        .text(m_ui->sessionLabel, &S::Label)
        .check(m_ui->useCmyk, &S::UseCMYK)
        // "Print in grayscale" is the server's colour support switched off.
        .uncheck(m_ui->printGrayscale, &S::SupportsColorImage)
        .check(m_ui->lenientMode, &S::LenientMode)
        .check(m_ui->ignoreMagnification, &S::IgnoreMagnificationType)
        .check(m_ui->ignoreConfiguration, &S::IgnoreConfigurationInformation)
        .check(m_ui->skipImagePixel, &S::SkipImagePixel)
        .integer(m_ui->port, &S::Port, ruleOf(&S::Port))
        .code(m_ui->medium, &S::MediumType, *keyOf(&S::MediumType)->words)
        .code(m_ui->destination, &S::Destination, *keyOf(&S::Destination)->words)
        .code(m_ui->priority, &S::Priority, *keyOf(&S::Priority)->words)
        .check(m_ui->ignoreAnnotationFormat, &S::IgnoreAnnotationFormat);
    // No clamping on the buttons: the range is enforced by the next reading.
    connectReadStepShow(m_ui->copiesSpin, m_ui->copies, *this, [this](int direction) { m_values.Copies += direction; });
#ifdef QUARVEL_DICOM
    connect(m_ui->verifyServer, &QPushButton::clicked, this, &DicomPage::onVerifyServer);
#else
    m_ui->verifyServer->hide();
#endif
    commitOnEveryEdit();
}

void DicomPage::onVerifyServer()
{
#ifdef QUARVEL_DICOM
    // The port as typed; the page's values go to the record only when it is left.
    if (!readControls())
        return;
    const std::vector<std::string> titles = verificationTitles(configuration());
    DicomPeer peer;
    peer.port = m_values.Port;
    if (titles.empty()) {
        interaction().tell(this, QStringLiteral("No AE title to verify."), Interaction::Icon::Warning);
        return;
    }
    std::string error;
    DicomChecks* checks = dicomChecks(error);
    if (!checks) {
        interaction().tell(this, QString::fromStdString(error), Interaction::Icon::Warning);
        return;
    }
    std::vector<EchoResult> results;
    DicomTaskDialog task(QStringLiteral("Verifying the DICOM server at %1...").arg(toQt(peer.address())), this);
    const bool finished = task.run(
        interaction(), [&](DicomCancel& cancel) { results = checks->verifyServer(peer, titles, cancel, nullptr); });
    QStringList lines;
    int answered = 0;
    for (const EchoResult& result : results) {
        lines << toQt(checks->echoLine(result, peer));
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
    m_values = configuration();
    showValues();
}

bool DicomPage::onKillActive()
{
    if (!readControls())
        return false;
    keep(m_values);
    return true;
}

void DicomPage::commitEdits()
{
    m_bindings.take(m_values, textEncoding());
    keep(m_values);
}

void DicomPage::keep(const DicomSettings& values)
{
    const DicomSettings& now = configuration();
    if (values == now)
        return;
    ConfigChange* settings = change(QStringLiteral("Change DICOM Settings"));
    changes::set(
        *settings, [](Configuration& c) -> DicomSettings& { return c; }, now, values);
    record(settings);
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
