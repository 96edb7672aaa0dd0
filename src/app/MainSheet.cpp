#include "app/MainSheet.h"

#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <algorithm>
#include <string_view>
#include <utility>

#include "app/ChangesDialog.h"
#include "app/EditMenu.h"
#include "app/ExitDialog.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/ConfigurationCheck.h"
#include "config/ReaderFindings.h"
#include "config/SectionHeaderLine.h"
#include "config/WizardResult.h"
#include "diff/UnifiedDiff.h"
#include "pages/AdditionalSettingsPage.h"
#include "pages/ConfigPage.h"
#include "pages/DicomPage.h"
#include "pages/PaperPage.h"
#include "pages/PrinterPage.h"
#include "pages/StartPage.h"
#include "platform/CodePage.h"
#include "platform/FileLock.h"
#include "platform/InterruptedSave.h"
#include "platform/RegularFile.h"
#include "platform/SaveFile.h"
#include "platform/ServerControl.h"
#include "ui/Artwork.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui/PropertyPage.h"
#include "wizard/ConfigurationWizard.h"

namespace {

const char* const kSaveFilter = "Config files (*.cfg);;All files (*.*)";

// A file name as the core takes it: the system's bytes, and on Windows
// UTF-8 (the core's platform layer makes UTF-16 of it).
std::string corePath(const QString& path)
{
#ifdef _WIN32
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

// The whole file at path, or nothing when there is none (or it cannot be
// read). Read as the core reads a configuration: a pipe or a device put
// there fails at once instead of hanging.
std::optional<std::string> fileBytes(const QString& path)
{
    std::string bytes, message;
    if (!readRegularFile(corePath(path), message, ConfigReader::kChunkSize,
                         [&bytes](std::string_view chunk) { bytes.append(chunk); }))
        return std::nullopt;
    return bytes;
}

QString counted(std::size_t count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(count == 1 ? one : many));
}

// "3 lines changed, 1 printer added": the lines of the diff, then the records
// each list gained or lost; before them the change of line ends, which the
// diff leaves out: "line endings change (LF → CR LF, 208 lines)".
QString changeSummary(const TextDiff& diff, const std::string& before, const std::string& after)
{
    Configuration from, to;
    ConfigReader(from).readText(before);
    ConfigReader(to).readText(after);
    QStringList parts;
    if (!diff.lineEnds.empty())
        parts << QStringLiteral("line endings change (%1)").arg(QString::fromStdString(diff.lineEnds.describe("→")));
    parts << counted(changedLines(diff.diff), "line changed", "lines changed");
    auto records = [&parts](int was, int is, const char* one, const char* many) {
        if (is > was)
            parts << counted(static_cast<std::size_t>(is - was), one, many) + QStringLiteral(" added");
        else if (is < was)
            parts << counted(static_cast<std::size_t>(was - is), one, many) + QStringLiteral(" removed");
    };
    records(from.Printers.size(), to.Printers.size(), "printer", "printers");
    records(from.Papers.size(), to.Papers.size(), "paper size", "paper sizes");
    records(from.Headers.size(), to.Headers.size(), "header bitmap", "header bitmaps");
    return parts.join(QStringLiteral(", "));
}

} // namespace

TextEncoding encodingOfNewFiles(unsigned ansiCodePage)
{
    // The server reads its file in the system's code page; of those the
    // file format knows, UTF-8 where Windows runs programs in UTF-8, and
    // Windows-1252 elsewhere (and on Linux, where the server runs under Wine).
    return ansiCodePage == 65001 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

MainSheet::MainSheet(const AppServices& services, QWidget* parent)
    : PropertySheet(parent), m_services(services), m_page0(new StartPage(*this, *this, this)),
      m_page1(new PrinterPage(*this, this)), m_page2(new PaperPage(*this, this)), m_page3(new DicomPage(*this, this)),
      m_page4(new AdditionalSettingsPage(*this, this)), m_icon(Artwork::windowIcon())
{
    setObjectName(QStringLiteral("quarvelSheet"));
    setWindowTitle(QStringLiteral("Quarvel " QUARVEL_VERSION));
    m_configuration.Encoding = encodingOfNewFiles(systemAnsiCodePage());
    // The configuration pages wait, hidden, until they are added; the sheet
    // keeps room for the largest from the start so it never jumps in size
    // (on a screen too small for it, the pages scroll instead).
    for (QWidget* page : {static_cast<QWidget*>(m_page1), static_cast<QWidget*>(m_page2),
                          static_cast<QWidget*>(m_page3), static_cast<QWidget*>(m_page4)}) {
        page->hide();
        reservePageSize(page->sizeHint());
    }
    reservePageSize(m_page0->sizeHint());
    addPage(m_page0, QStringLiteral("Start"));
    auto* review = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    connect(review, &QShortcut::activated, this, [this] {
        if (hasPage(m_page1))
            reviewChanges();
    });
    addEditMenu();
}

void MainSheet::addEditMenu()
{
    // What the current page's fields hold joins the history first, so that
    // Undo takes back the last edit, typed or not yet kept.
    m_editMenu = new EditMenu(*this, m_history, [this] {
        if (auto* page = qobject_cast<ConfigPage*>(activePage()))
            page->commitEdits();
    });
}

void MainSheet::configurationRestored()
{
    m_checkDone = false;
    if (auto* page = qobject_cast<ConfigPage*>(activePage()))
        page->reload();
}

MainSheet::~MainSheet()
{
    // The pages read the record through this sheet, also while the window
    // goes (its lists answer the hiding): they go first, while both are whole.
    for (QWidget* page :
         {static_cast<QWidget*>(m_page0), static_cast<QWidget*>(m_page1), static_cast<QWidget*>(m_page2),
          static_cast<QWidget*>(m_page3), static_cast<QWidget*>(m_page4)})
        delete page;
}

void MainSheet::showEvent(QShowEvent* event)
{
    if (!m_opened) {
        m_opened = true;
        setWindowIcon(m_icon);
        m_checkDone = false;
        m_saveDone = false;
        okButton()->setText(QStringLiteral("&Save and Exit"));
        cancelButton()->setText(QStringLiteral("E&xit"));
    }
    PropertySheet::showEvent(event);
}

void MainSheet::showConfigurationPages(std::optional<int> page)
{
    if (!m_baseSet) { // a New configuration starts from the defaults
        const QString name = m_configurationFileName.isEmpty() ? QStringLiteral("config.cfg") : m_configurationFileName;
        setBase(name, formatConfiguration(Configuration()), fileBytes(name));
    }
    addConfigurationPages();
    setActivePage(page.value_or(PrinterTab));
}

std::optional<int> MainSheet::runWizard()
{
    const std::optional<WizardOutcome> outcome =
        runConfigurationWizard(interaction(), diagnostics(), m_configuration.Encoding, this);
    if (!outcome)
        return std::nullopt;
    const QString name = toQt(outcome->answers.ConfigurationName, m_configuration.Encoding);
    setBase(name, formatConfiguration(Configuration()), fileBytes(name));
    applyWizardAnswers(outcome->answers);
    if (outcome->finish == WizardFinish::SaveAndExit) {
        if (apply()) {
            done(QDialog::Accepted);
            return std::nullopt;
        }
        // Not saved: stay with the wizard's entries on the configuration
        // pages, at the first fault when there is one.
        const ConfigurationFaults faults = findConfigurationFaults(m_configuration);
        return faults.empty() ? PrinterTab : faults.firstErrorPage;
    }
    return PrinterTab;
}

void MainSheet::addConfigurationPages()
{
    if (hasPage(m_page1))
        return;
    addPage(m_page1, QStringLiteral("Printer"));
    addPage(m_page2, QStringLiteral("Paper"));
    addPage(m_page3, QStringLiteral("DICOM"));
    addPage(m_page4, QStringLiteral("Additional Settings"));
}

bool MainSheet::confirmClose()
{
    return interaction().askYesNo(this,
                                  QStringLiteral("Changes made will not be saved. Do you really want to close?\n"),
                                  Interaction::Icon::Warning);
}

bool MainSheet::checkConfiguration()
{
    if (m_checkDone)
        return true;
    const ConfigurationFaults faults = findConfigurationFaults(m_configuration);
    m_checkDone = true;
    if (faults.empty())
        return true;

    QString text = QStringLiteral("There are errors in the configuration. The server will not work properly.\n\n"
                                  "ERRORS:\n\n");
    for (const std::string& line : faults.lines)
        text += toQt(line, m_configuration.Encoding);
    text += QStringLiteral("\n\nDo you want to save and exit without any correction?");
    if (interaction().askYesNo(this, text, Interaction::Icon::Warning))
        return true;
    setActivePage(faults.firstErrorPage);
    return false;
}

QString MainSheet::buildReport(bool saved, const QString& writerMessage, bool asConfigCfg) const
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

bool MainSheet::saveAndReport()
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
    // Formatted once: the comparison with the file on disk and the writer
    // take the same bytes.
    const std::string text = formatConfiguration(m_configuration);
    if (!confirmRecovery(*path))
        return false;

    // The comparison with the file on disk and the writer run under the
    // file's lock, so that no other writer comes between them; a question
    // is asked without it, and the file compared again after the answer.
    std::string message;
    bool saved = false;
    FileLock lock;
    std::optional<std::optional<std::string>> accepted; // what the user agreed to overwrite
    for (;;) {
        if (!lock.acquire(corePath(*path), kLockWait, message))
            break;
        const std::optional<std::string> now = fileBytes(*path);
        if (!changedSinceLoad(*path, now) || accepted == now) {
            saved = saveFile(corePath(*path), text, message);
            break;
        }
        lock.release();
        if (!confirmOverwrite(*path, text, now))
            return false;
        accepted = now;
    }
    lock.release();
    // A failed write must not pass the next "Save and Exit" unsaved: only a
    // written file counts as saved.
    m_saveDone = saved;

    const bool asConfigCfg =
        QFileInfo(*path).fileName().compare(QStringLiteral("config.cfg"), Qt::CaseInsensitive) == 0;
    ExitDialog dialog(buildReport(saved, systemText(message), asConfigCfg), asConfigCfg, this);
    const int result = interaction().runModal(dialog);
    if (result == QDialog::Accepted && dialog.restartRequested())
        restartServer(m_services.server);
    return saved;
}

bool MainSheet::apply()
{
    if (!checkConfiguration())
        return false;
    return saveAndReport();
}

bool MainSheet::loadConfiguration(const QString& path)
{
    // Read once, by the core reader (which refuses pipes and devices); the
    // bytes it read are what the comparisons start from.
    std::string message, bytes;
    ReaderFindings findings;
    if (!ConfigReader(m_configuration, &findings)
             .readFile(corePath(path), message, ConfigReader::kChunkSize,
                       [&bytes](std::string_view chunk) { bytes.append(chunk); })) {
        interaction().tell(this, systemText(message), Interaction::Icon::Error);
        return false;
    }
    m_configurationFileName = path;
    setBase(path, bytes, bytes);
    // A save that was cut off while it wrote this file in place left its
    // marker: the file may be incomplete, and the old bytes are kept aside.
    if (const std::string note = interruptedSaveNote(corePath(path)); !note.empty())
        interaction().tell(this, systemText(note), Interaction::Icon::Warning);
    reportLoad(path, findings);
    return true;
}

void MainSheet::setBase(const QString& path, std::string text, std::optional<std::string> disk)
{
    // Another configuration starts a history of its own.
    m_history.clear();
    m_baseSet = true;
    m_basePath = QFileInfo(path).absoluteFilePath();
    m_baseDisk = std::move(disk);
    m_baseText = std::move(text);
}

void MainSheet::showChanges(const QString& summary, const std::string& before, const std::string& after,
                            const QString& beforeLabel, const QString& afterLabel)
{
    // Sections aligned first and line ends told apart: a file with LF ends
    // shows its changes of content, not every line removed and added again.
    const LineComparison comparison{true, isSectionHeaderLine};
    const TextDiff diff = diffTexts(before, after, corePath(beforeLabel), corePath(afterLabel), comparison);
    ChangesDialog dialog(this);
    dialog.setChanges(summary + QStringLiteral(": ") + changeSummary(diff, before, after) + QLatin1Char('.'), diff.diff,
                      m_configuration.Encoding);
    interaction().runModal(dialog);
}

void MainSheet::reviewChanges()
{
    // Only the pages hold edits not yet stored: the current one stores them
    // when it is left, so ask it as a save would.
    if (activePage() && !activePage()->onKillActive())
        return;
    const QString name = QFileInfo(m_basePath).fileName();
    showChanges(QStringLiteral("What a save would change"), m_baseText, formatConfiguration(m_configuration), name,
                name);
}

// The check under the file's lock, just before the writer runs, is the one
// that counts: writers that take the lock cannot come between the two.
bool MainSheet::changedSinceLoad(const QString& path, const std::optional<std::string>& now) const
{
    // Another file than the one this configuration started from is new.
    return QFileInfo(path).absoluteFilePath() == m_basePath && now != m_baseDisk;
}

// A save that was cut off while it wrote the file left a copy of the old
// content: the file may be incomplete, and saving over it drops the copy.
bool MainSheet::confirmRecovery(const QString& path)
{
    const std::string note = interruptedSaveNote(corePath(path));
    if (note.empty())
        return true;
    if (!interaction().askYesNo(this,
                                systemText(note) + QStringLiteral("\n\nDo you want to save all the same? The copy of "
                                                                  "the old content is then removed."),
                                Interaction::Icon::Warning))
        return false;
    std::string message;
    if (discardInterruptedSave(corePath(path), message))
        return true;
    interaction().tell(this, systemText(message), Interaction::Icon::Error);
    return false;
}

bool MainSheet::confirmOverwrite(const QString& path, const std::string& ours, const std::optional<std::string>& now)
{
    const QString text =
        QStringLiteral("%1 was changed by another program since it was loaded.").arg(QFileInfo(path).fileName());
    for (;;) {
        switch (interaction().message(this, text, Interaction::Icon::Warning,
                                      Interaction::Buttons::ShowChangesOverwriteCancel)) {
        case Interaction::Answer::ShowChanges:
            showChanges(QStringLiteral("What a save would change in the file as it is now"), now.value_or(""), ours,
                        QStringLiteral("on disk"), QStringLiteral("to be saved"));
            break;
        case Interaction::Answer::Overwrite:
            return true;
        default:
            return false;
        }
    }
}

// Names, before any work is done on the file, what "quarvel-cfg check" warns
// of: the hand-edited lines that a save drops or changes and the records the
// server cannot use. A file the editor wrote from a complete record shows
// nothing.
void MainSheet::reportLoad(const QString& path, const ReaderFindings& findings)
{
    const std::size_t lost = lostLines(findings);
    const std::vector<Finding> warnings = findings.all(findReferenceWarnings(m_configuration, findings));
    if (warnings.empty())
        return;
    QStringList details;
    for (const Finding& finding : warnings)
        details << toQt(describeFinding(finding), m_configuration.Encoding);
    QString text = QStringLiteral("%1 %2 about '%3'")
                       .arg(warnings.size())
                       .arg(warnings.size() == 1 ? QStringLiteral("warning") : QStringLiteral("warnings"), path);
    text += lost == 0 ? QStringLiteral(".")
                      : QStringLiteral(": a save changes or drops %1 %2.")
                            .arg(lost)
                            .arg(lost == 1 ? QStringLiteral("line") : QStringLiteral("lines"));
    interaction().tellWithDetails(this, text, details.join(QLatin1Char('\n')), Interaction::Icon::Warning);
}

void MainSheet::applyWizardAnswers(const WizardResult& answers)
{
    m_configurationFileName = toQt(answers.ConfigurationName, m_configuration.Encoding);
    applyWizardResult(answers, m_configuration);
}
