#include "app/Quarvel.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStringList>

#include "app/ExitDialog.h"
#include "app/Page0Start.h"
#include "config/ConfigurationCheck.h"
#include "config/ReaderFindings.h"
#include "config/WizardResult.h"
#include "pages/Page1Printer.h"
#include "pages/Page2PaperLayout.h"
#include "pages/Page3Dicom.h"
#include "pages/Page4Extra.h"
#include "platform/ServerControl.h"
#include "ui/Artwork.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"

namespace {

const char* const kSaveFilter = "Config files (*.cfg);;All files (*.*)";

} // namespace

CQuarvel::CQuarvel(const AppServices& services, QWidget* parent)
    : PropertySheet(parent), m_services(services), m_page0(new CPage0Start(*this)),
      m_page1(new CPage1Printer(*this, this)), m_page2(new CPage2PaperLayout(*this, this)),
      m_page3(new CPage3Dicom(*this, this)), m_page4(new CPage4Extra(*this, this)), m_icon(Artwork::WindowIcon())
{
    setObjectName(QStringLiteral("quarvelSheet"));
    SetTextEncoding(m_configuration.Encoding);
    setWindowTitle(QStringLiteral("Quarvel 1.3"));
    // The configuration pages wait, hidden, until they are added; the sheet
    // keeps room for the largest from the start so it never jumps in size.
    for (QWidget* page : {static_cast<QWidget*>(m_page1), static_cast<QWidget*>(m_page2),
                          static_cast<QWidget*>(m_page3), static_cast<QWidget*>(m_page4)}) {
        page->hide();
        reservePageSize(page->sizeHint());
    }
    reservePageSize(m_page0->sizeHint());
    addPage(m_page0, QStringLiteral("Start"));
}

CQuarvel::~CQuarvel() = default;

void CQuarvel::showEvent(QShowEvent* event)
{
    if (!m_opened) {
        m_opened = true;
        setWindowIcon(m_icon);
        m_checkDone = false;
        m_saveDone = false;
        okButton()->setText(QStringLiteral("Save and Exit"));
        cancelButton()->setText(QStringLiteral("Exit"));
    }
    PropertySheet::showEvent(event);
}

void CQuarvel::AddConfigurationPages()
{
    if (hasPage(m_page1))
        return;
    addPage(m_page1, QStringLiteral("Printer"));
    addPage(m_page2, QStringLiteral("Paper"));
    addPage(m_page3, QStringLiteral("DICOM"));
    addPage(m_page4, QStringLiteral("Additional Settings"));
}

bool CQuarvel::confirmClose()
{
    return interaction().askYesNo(this,
                                  QStringLiteral("Changes made will not be saved. Do you really want to close?\n"),
                                  Interaction::Icon::Warning);
}

bool CQuarvel::CheckConfiguration()
{
    if (m_checkDone)
        return true;
    const ConfigurationFaults faults = FindConfigurationFaults(m_configuration);
    m_checkDone = true;
    if (faults.empty())
        return true;

    QString text = QStringLiteral("There are errors in the configuration. The server will not work properly.\n\n"
                                  "ERRORS:\n\n");
    for (const std::string& line : faults.lines)
        text += ToQt(line);
    text += QStringLiteral("\n\nDo you want to save and exit without any correction?");
    if (interaction().askYesNo(this, text, Interaction::Icon::Warning))
        return true;
    setActivePage(faults.firstErrorPage);
    return false;
}

QString CQuarvel::BuildReport(bool saved, const QString& writerMessage, bool asConfigCfg) const
{
    QString report = QStringLiteral("Saving status:\t");
    report += saved ? QStringLiteral("SUCCESS\n\n") : QStringLiteral("FAILED\n\n");
    report += writerMessage;
    report += QStringLiteral("\n\n");
    report += QStringLiteral("Information:\n\n");
    if (!asConfigCfg) {
        report += QStringLiteral(
            "!!! The new configuration file was not saved as 'config.cfg'. !!!\n'config.cfg' is the default filename "
            "used by the server start script. You have to rename the file manually or change the start script "
            "'ZELNOR.bat'.\n");
        report += QStringLiteral("'Start or restart the print server' was disabled.\n\n");
    }
    report += QStringLiteral("Restart the ZELNOR application to take effect of any changes in the configuration.");
    return report;
}

bool CQuarvel::SaveAndReport()
{
    if (m_saveDone)
        return true;

    Interaction::FileDialogOptions options;
    options.filter = QString::fromLatin1(kSaveFilter);
    options.defaultSuffix = QStringLiteral("cfg");
    options.initialName = m_configurationFileName;
    const std::optional<QString> path = interaction().saveFileName(this, options);
    if (!path)
        return false;

    std::string message;
    const bool saved = m_configuration.SaveToFile(QFile::encodeName(*path).toStdString(), message);
    // A failed write must not pass the next "Save and Exit" unsaved: only a
    // written file counts as saved.
    m_saveDone = saved;

    const bool asConfigCfg =
        QFileInfo(*path).fileName().compare(QStringLiteral("config.cfg"), Qt::CaseInsensitive) == 0;
    CExitDialog dialog(this);
    dialog.ReportText = BuildReport(saved, SystemText(message), asConfigCfg);
    dialog.RestartAllowed = asConfigCfg;
    const int result = interaction().runModal(dialog);
    if (result == QDialog::Accepted && dialog.restartRequested())
        RestartServer(m_services.server);
    return saved;
}

bool CQuarvel::apply()
{
    if (!CheckConfiguration())
        return false;
    return SaveAndReport();
}

bool CQuarvel::LoadConfiguration(const QString& path)
{
    std::string message;
    ReaderFindings findings;
    if (!m_configuration.LoadFromFile(QFile::encodeName(path).toStdString(), message, &findings)) {
        interaction().tell(this, SystemText(message), Interaction::Icon::Error);
        return false;
    }
    m_configurationFileName = path;
    SetTextEncoding(m_configuration.Encoding);
    WarnOfLostLines(path, findings.items);
    return true;
}

// Hand-edited lines that a save would drop or change are named before any
// work is done on the file; a file the editor wrote shows nothing.
void CQuarvel::WarnOfLostLines(const QString& path, const std::vector<Finding>& findings)
{
    const std::size_t lost = LostLines(findings);
    if (lost == 0)
        return;
    QStringList details;
    for (const Finding& finding : findings)
        if (LosesContent(finding.kind))
            details << ToQt(DescribeFinding(finding));
    const QString text = QStringLiteral("%1 %2 of '%3' will not be kept when the configuration is saved.")
                             .arg(lost)
                             .arg(lost == 1 ? QStringLiteral("line") : QStringLiteral("lines"), path);
    interaction().tellWithDetails(this, text, details.join(QLatin1Char('\n')), Interaction::Icon::Warning);
}

void CQuarvel::ApplyWizardAnswers(const sWizardResult& answers)
{
    m_configurationFileName = ToQt(answers.ConfigurationName);
    ApplyWizardResult(answers, m_configuration);
}
