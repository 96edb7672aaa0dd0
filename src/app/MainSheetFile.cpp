// The main sheet's "File" menu and its title: saving while the window stays,
// reading the file again, and the name and unsaved-changes mark shown.
#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <string_view>

#include "app/MainSheet.h"
#include "app/SheetFiles.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/ReaderFindings.h"
#include "platform/CodePage.h"
#include "platform/InterruptedSave.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui/PropertyPage.h"

QMenuBar* MainSheet::sheetMenuBar()
{
    if (!m_menuBar) {
        m_menuBar = new QMenuBar(this);
        m_menuBar->setObjectName(QStringLiteral("sheetMenuBar"));
        m_menuBar->setAccessibleName(QStringLiteral("Menu bar"));
        layout()->setMenuBar(m_menuBar);
    }
    return m_menuBar;
}

void MainSheet::addFileMenu()
{
    QMenu* menu = sheetMenuBar()->addMenu(QStringLiteral("&File"));
    menu->setObjectName(QStringLiteral("fileMenu"));
    QAction* saveAction = menu->addAction(QStringLiteral("&Save"));
    saveAction->setObjectName(QStringLiteral("saveAction"));
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, [this] { save(); });
    m_reloadAction = menu->addAction(QStringLiteral("Re&load from Disk"));
    m_reloadAction->setObjectName(QStringLiteral("reloadAction"));
    m_reloadAction->setEnabled(false);
    connect(m_reloadAction, &QAction::triggered, this, [this] { reloadFromDisk(); });
}

bool MainSheet::save()
{
    // The current page stores its fields as it would when left; the check
    // always runs, as nothing says the record is as it was at the last one.
    if (activePage() && !activePage()->onKillActive())
        return false;
    m_checkDone = false;
    if (!checkConfiguration(false))
        return false;
    return writeAndReport(m_filePath.isEmpty() ? std::nullopt : std::optional<QString>(m_filePath));
}

bool MainSheet::reloadFromDisk()
{
    if (m_filePath.isEmpty())
        return false;
    if (activePage() && !activePage()->onKillActive())
        return false;
    refreshModified();
    if (m_modified &&
        !interaction().askYesNo(
            this,
            QStringLiteral("The configuration has changes that were not saved. Do you want to discard them and load "
                           "%1 again?")
                .arg(QFileInfo(m_filePath).fileName()),
            Interaction::Icon::Warning))
        return false;
    const QString path = m_filePath;
    std::unique_ptr<Configuration> read = readFile(path);
    if (!read)
        return false;
    // The pages ask the sheet for the record each time: the fresh one takes
    // its place, and the current page shows it.
    m_configuration = std::move(read);
    if (activePage())
        activePage()->onSetActive();
    return true;
}

std::unique_ptr<Configuration> MainSheet::readFile(const QString& path)
{
    auto read = std::make_unique<Configuration>();
    read->Encoding = encodingOfNewFiles(systemAnsiCodePage());
    std::string message, bytes;
    ReaderFindings findings;
    if (!ConfigReader(*read, &findings)
             .readFile(corePath(path), message, ConfigReader::kChunkSize,
                       [&bytes](std::string_view chunk) { bytes.append(chunk); })) {
        interaction().tell(this, systemText(message), Interaction::Icon::Error);
        return nullptr;
    }
    m_configurationFileName = path;
    setBase(path, bytes, bytes);
    setCleanState(path, formatConfiguration(*read));
    if (const std::string note = interruptedSaveNote(corePath(path)); !note.empty())
        interaction().tell(this, systemText(note), Interaction::Icon::Warning);
    return read;
}

void MainSheet::setCleanState(const QString& path, std::string text)
{
    m_filePath = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    m_cleanText = std::move(text);
    if (m_reloadAction)
        m_reloadAction->setEnabled(!m_filePath.isEmpty());
    m_modified = false;
    updateTitle();
}

bool MainSheet::hasUnsavedChanges() const
{
    return formatConfiguration(*m_configuration) != m_cleanText;
}

void MainSheet::refreshModified()
{
    const bool modified = hasUnsavedChanges();
    if (modified == m_modified)
        return;
    m_modified = modified;
    updateTitle();
}

void MainSheet::updateTitle()
{
    // "[*]" is where the platform shows the mark of unsaved changes.
    const QString program = QStringLiteral("Quarvel " QUARVEL_VERSION);
    setWindowFilePath(m_filePath);
    if (!m_filePath.isEmpty())
        setWindowTitle(QFileInfo(m_filePath).fileName() + QStringLiteral("[*] \u2014 ") + program);
    else
        setWindowTitle(m_modified ? program + QStringLiteral("[*]") : program);
    setWindowModified(m_modified);
}
