// The main sheet's saving: the save dialog, the questions before the writer
// runs, the writer under the file's lock and the report after it.
#include <QFileInfo>
#include <QStringList>
#include <string_view>

#include "app/ChangesDialog.h"
#include "app/ExitDialog.h"
#include "app/MainSheet.h"
#include "app/SaveReport.h"
#include "app/SheetFiles.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/SectionHeaderLine.h"
#include "diff/UnifiedDiff.h"
#include "platform/FileLock.h"
#include "platform/InterruptedSave.h"
#include "platform/SaveFile.h"
#include "platform/ServerControl.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui/PropertyPage.h"

namespace {

const char* const kSaveFilter = "Config files (*.cfg);;All files (*.*)";

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

bool MainSheet::saveAndReport()
{
    if (m_saveDone)
        return true;
    // A failed write must not pass the next "Save and Exit" unsaved: only a
    // written file counts as saved.
    m_saveDone = writeAndReport(std::nullopt);
    return m_saveDone;
}

bool MainSheet::writeAndReport(std::optional<QString> target)
{
    std::optional<QString> path = std::move(target);
    if (!path) {
        Interaction::FileDialogOptions options;
        options.filter = QString::fromLatin1(kSaveFilter);
        options.defaultSuffix = QStringLiteral("cfg");
        options.initialName = m_configurationFileName;
        path = interaction().saveFileName(this, options);
    }
    if (!path)
        return false;
    // Formatted once: the comparison with the file on disk and the writer
    // take the same bytes.
    const std::string text = formatConfiguration(configuration());
    if (!confirmRecovery(*path))
        return false;

    // The comparison with the file on disk and the writer run under the
    // file's lock, so that no other writer comes between them; a question
    // is asked without it, and the file compared again after the answer.
    std::string message;
    bool saved = false;
    FileLock lock;
    std::optional<std::string> before;                  // the file as the writer found it
    std::optional<std::optional<std::string>> accepted; // what the user agreed to overwrite
    for (;;) {
        if (!lock.acquire(corePath(*path), kLockWait, message))
            break;
        before = fileBytes(*path);
        // (Compared as a pair of optionals, "no answer yet" would equal "no
        // file": a file deleted since the load would pass unasked.)
        if (!changedSinceLoad(*path, before) || (accepted && *accepted == before)) {
            saved = saveFile(corePath(*path), text, message);
            break;
        }
        lock.release();
        if (!confirmOverwrite(*path, text, before))
            return false;
        accepted = before;
    }
    // Whether a failed save left the file as it was, seen while no other
    // writer can come between.
    const bool unchanged = !saved && fileBytes(*path) == before;
    lock.release();
    if (saved) {
        m_configurationFileName = *path;
        setBase(*path, text, text);
        setCleanState(*path, text);
    }

    SaveOutcome outcome;
    outcome.saved = saved;
    outcome.writerMessage = systemText(message);
    outcome.asConfigCfg = QFileInfo(*path).fileName().compare(QStringLiteral("config.cfg"), Qt::CaseInsensitive) == 0;
    outcome.fileUnchanged = unchanged;
    ExitDialog dialog(saveReport(outcome), outcome.asConfigCfg, this);
    const int result = interaction().runModal(dialog);
    if (result == QDialog::Accepted && dialog.restartRequested())
        restartServer(m_services.server);
    return saved;
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
                      configuration().Encoding);
    interaction().runModal(dialog);
}

void MainSheet::reviewChanges()
{
    // Only the pages hold edits not yet stored: the current one stores them
    // when it is left, so ask it as a save would.
    if (activePage() && !activePage()->onKillActive())
        return;
    const QString name = QFileInfo(m_basePath).fileName();
    showChanges(QStringLiteral("What a save would change"), m_baseText, formatConfiguration(configuration()), name,
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
    // A file that is no longer there was not changed: it went.
    const QString text = (now ? QStringLiteral("%1 was changed by another program since it was loaded.")
                              : QStringLiteral("%1 was moved or deleted since it was loaded."))
                             .arg(QFileInfo(path).fileName());
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
