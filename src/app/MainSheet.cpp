#include "app/MainSheet.h"

#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <string_view>
#include <utility>

#include "app/EditMenu.h"
#include "app/SheetFiles.h"
#include "app/UserActionWatch.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/ConfigurationCheck.h"
#include "config/ReaderFindings.h"
#include "config/WizardResult.h"
#include "pages/AdditionalSettingsPage.h"
#include "pages/ConfigPage.h"
#include "pages/DicomPage.h"
#include "pages/PaperPage.h"
#include "pages/PrinterPage.h"
#include "pages/StartPage.h"
#include "platform/CodePage.h"
#include "platform/InterruptedSave.h"
#include "ui/Artwork.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui/PropertyPage.h"
#include "wizard/ConfigurationWizard.h"

TextEncoding encodingOfNewFiles(unsigned ansiCodePage)
{
    // The server reads its file in the system's code page; of those the
    // file format knows, UTF-8 where Windows runs programs in UTF-8, and
    // Windows-1252 elsewhere (and on Linux, where the server runs under Wine).
    return ansiCodePage == 65001 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

MainSheet::MainSheet(const AppServices& services, QWidget* parent)
    : PropertySheet(parent), m_services(services), m_configuration(std::make_unique<Configuration>()),
      m_page0(new StartPage(*this, *this, this)), m_page1(new PrinterPage(*this, this)),
      m_page2(new PaperPage(*this, this)), m_page3(new DicomPage(*this, this)),
      m_page4(new AdditionalSettingsPage(*this, this)), m_icon(Artwork::windowIcon())
{
    setObjectName(QStringLiteral("quarvelSheet"));
    m_configuration->Encoding = encodingOfNewFiles(systemAnsiCodePage());
    setCleanState(QString(), formatConfiguration(*m_configuration));
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
    addFileMenu();
    addEditMenu();
    // The record changes through the user's keys and clicks here and in the
    // dialogs: after those, the title says whether it still holds what the
    // file holds.
    m_watch = new UserActionWatch(this, [this] { refreshModified(); });
}

void MainSheet::addEditMenu()
{
    // What the current page's fields hold joins the history first, so that
    // Undo takes back the last edit, typed or not yet kept.
    m_editMenu = new EditMenu(*this, *sheetMenuBar(), m_history, [this] {
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
        runConfigurationWizard(interaction(), diagnostics(), configuration().Encoding, this);
    if (!outcome)
        return std::nullopt;
    const QString name = toQt(outcome->answers.ConfigurationName, configuration().Encoding);
    setBase(name, formatConfiguration(Configuration()), fileBytes(name));
    applyWizardAnswers(outcome->answers);
    if (outcome->finish == WizardFinish::SaveAndExit) {
        if (apply()) {
            done(QDialog::Accepted);
            return std::nullopt;
        }
        // Not saved: stay with the wizard's entries on the configuration
        // pages, at the first fault when there is one.
        const ConfigurationFaults faults = findConfigurationFaults(configuration());
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

bool MainSheet::checkConfiguration(bool exiting)
{
    if (m_checkDone)
        return true;
    const ConfigurationFaults faults = findConfigurationFaults(configuration());
    m_checkDone = true;
    if (faults.empty())
        return true;

    QString text = QStringLiteral("There are errors in the configuration. The server will not work properly.\n\n"
                                  "ERRORS:\n\n");
    for (const std::string& line : faults.lines)
        text += toQt(line, configuration().Encoding);
    text += exiting ? QStringLiteral("\n\nDo you want to save and exit without any correction?")
                    : QStringLiteral("\n\nDo you want to save without any correction?");
    if (interaction().askYesNo(this, text, Interaction::Icon::Warning))
        return true;
    setActivePage(faults.firstErrorPage);
    // Checked again next time, also where that page is not there to be shown
    // (only the Start page is).
    m_checkDone = false;
    return false;
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
    if (!ConfigReader(configuration(), &findings)
             .readFile(corePath(path), message, ConfigReader::kChunkSize,
                       [&bytes](std::string_view chunk) { bytes.append(chunk); })) {
        // A file named that is not there yet is the one to make: the save
        // dialog offers it.
        if (m_configurationFileName.isEmpty() && !QFileInfo::exists(path))
            m_configurationFileName = path;
        interaction().tell(this, systemText(message), Interaction::Icon::Error);
        return false;
    }
    m_configurationFileName = path;
    setBase(path, bytes, bytes);
    setCleanState(path, formatConfiguration(configuration()));
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

// Names, before any work is done on the file, what "quarvel-cfg check" warns
// of: the hand-edited lines that a save drops or changes and the records the
// server cannot use. A file the editor wrote from a complete record shows
// nothing.
void MainSheet::reportLoad(const QString& path, const ReaderFindings& findings)
{
    const std::size_t lost = lostLines(findings);
    const std::vector<Finding> warnings = findings.all(findReferenceWarnings(configuration(), findings));
    if (warnings.empty())
        return;
    QStringList details;
    for (const Finding& finding : warnings)
        details << toQt(describeFinding(finding), configuration().Encoding);
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
    m_configurationFileName = toQt(answers.ConfigurationName, configuration().Encoding);
    applyWizardResult(answers, configuration());
    refreshModified();
}
