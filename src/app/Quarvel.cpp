#include "Quarvel.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include "Artwork.h"
#include "ConfigurationCheck.h"
#include "ExitDialog.h"
#include "Fields.h"
#include "Interaction.h"
#include "Page0Start.h"
#include "Page1Printer.h"
#include "Page2PaperLayout.h"
#include "Page3Dicom.h"
#include "Page4Extra.h"
#include "ServerControl.h"

namespace {

const char* const kSaveFilter = "Config files (*.cfg)|*.cfg|All files (*.*)|*.*||";

} // namespace

CQuarvel::CQuarvel(const AppServices& services, QWidget* parent)
    : PropertySheet(parent),
      m_services(services),
      m_page0(new CPage0Start(*this)),
      m_page1(new CPage1Printer(*this)),
      m_page2(new CPage2PaperLayout(*this)),
      m_page3(new CPage3Dicom(*this)),
      m_page4(new CPage4Extra(*this)),
      m_icon(Artwork::WindowIcon())
{
    setObjectName(QStringLiteral("quarvelSheet"));
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
        CheckDone = false;
        SaveDone = false;
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

bool CQuarvel::ConfirmClose()
{
    return Ui().askYesNo(this, QStringLiteral("Changes made will not be saved. Do you really want to close?\n"),
                         Interaction::Icon::Warning);
}

bool CQuarvel::CheckConfiguration()
{
    if (CheckDone)
        return true;
    const ConfigurationFaults faults = FindConfigurationFaults(m_configuration);
    CheckDone = true;
    if (faults.empty())
        return true;

    QString text = QStringLiteral("There are errors in the configuration. The server will not work properly.\n\n"
                                  "ERRORS:\n\n");
    for (const std::string& line : faults.lines)
        text += ToQt(line);
    text += QStringLiteral("\n\nDo you want to save and exit without any correction?");
    if (Ui().askYesNo(this, text, Interaction::Icon::Warning))
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
    if (SaveDone)
        return true;

    Interaction::FileDialogSpec spec;
    spec.filter = QString::fromLatin1(kSaveFilter);
    spec.defaultSuffix = QStringLiteral("cfg");
    spec.initialName = ConfigurationFileName;
    spec.confirmOverwrite = false;  // the writer keeps a backup instead
    const std::optional<QString> path = Ui().saveFileName(this, spec);
    if (!path)
        return false;

    std::string message;
    const bool saved = m_configuration.SaveToFile(QFile::encodeName(*path).toStdString(), message);
    // A failed write must not pass the next "Save and Exit" unsaved: only a
    // written file counts as saved.
    SaveDone = saved;

    const bool asConfigCfg =
        QFileInfo(*path).fileName().compare(QStringLiteral("config.cfg"), Qt::CaseInsensitive) == 0;
    CExitDialog dialog(this);
    dialog.ReportText = BuildReport(saved, ToQt(message), asConfigCfg);
    dialog.RestartAllowed = asConfigCfg;
    const int result = Ui().runModal(dialog);
    if (result == QDialog::Accepted && dialog.RestartServer == 1)
        ::RestartServer(m_services.server);
    return saved;
}

bool CQuarvel::Apply()
{
    if (!CheckConfiguration())
        return false;
    return SaveAndReport();
}

bool CQuarvel::TerminateProcessesByName(const QString& name, bool all)
{
    return m_services.server.TerminateProcessesByName(FromQt(name), all);
}
