#pragma once

#include <QIcon>
#include <QString>
#include <QUndoStack>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "config/Configuration.h"
#include "pages/PageHost.h"
#include "pages/StartPageHost.h"
#include "ui/PropertySheet.h"

struct ReaderFindings;

class EditMenu;
class StartPage;
class PrinterPage;
class PaperPage;
class DicomPage;
class AdditionalSettingsPage;
class QAction;
class QMenuBar;
class UserActionWatch;
struct WizardResult;

// The main window "Quarvel VERSION": a property sheet that owns the one
// configuration record of the run. It opens on the Start page; the four
// configuration pages are added by New, Load or the wizard. Its title names
// the file being edited and marks unsaved changes: "config.cfg* — Quarvel".
// The code page of a configuration that starts new (not loaded from a
// file), by the system's ANSI code page (platform/CodePage.h).
TextEncoding encodingOfNewFiles(unsigned ansiCodePage);

class MainSheet : public PropertySheet, public PageHost, public StartPageHost {
    Q_OBJECT
  public:
    // Sheet positions of the pages.
    enum PagePosition { StartTab = 0, PrinterTab = 1, PaperTab = 2, DicomTab = 3, AdditionalSettingsTab = 4 };

    explicit MainSheet(const AppServices& services, QWidget* parent = nullptr);
    ~MainSheet() override;

    // PageHost
    Configuration& configuration() override { return *m_configuration; }
    Interaction& interaction() override { return m_services.interaction; }
    PrinterTestEnvironment& diagnostics() override { return m_services.diagnostics; }
    bool apply() override;
    bool confirmClose() override;
    void checkMustRunAgain() override { m_checkDone = false; }
    QUndoStack& undoStack() override { return m_history; }
    void configurationRestored() override;

    // StartPageHost. Loading shows an error box on failure, a warning with
    // the details when the check warns of the file (lines a save would not
    // keep, records the server cannot use).
    bool loadConfiguration(const QString& path) override;
    void showConfigurationPages(std::optional<int> page = std::nullopt) override;
    std::optional<int> runWizard() override;
    void reviewChanges() override;

    // Adds Printer, Paper, DICOM and Additional Settings, at most once.
    void addConfigurationPages();
    // Takes the wizard's answers and the name the user gave them.
    void applyWizardAnswers(const WizardResult& answers);
    // The faults that stop the server, with the chance to go back to them;
    // exiting tells whether the question is the one of "Save and Exit".
    bool checkConfiguration(bool exiting = true);
    // The save dialog, the writer, the exit report and the restart.
    bool saveAndReport();
    // "Save": the check, the writer and the report as "Save and Exit" has
    // them, to the file being edited (the save dialog asks when there is
    // none); the window stays open. True when the file was written.
    bool save();
    // "Reload from Disk": the file being edited read again, after asking
    // when there are unsaved changes. True when it was read.
    bool reloadFromDisk();

    StartPage* startPageWidget() const { return m_page0; }
    PrinterPage* printerPageWidget() const { return m_page1; }
    PaperPage* paperPageWidget() const { return m_page2; }
    DicomPage* dicomPageWidget() const { return m_page3; }
    AdditionalSettingsPage* extraPageWidget() const { return m_page4; }
    EditMenu* editMenu() const { return m_editMenu; }

    // The name offered by the save dialog: the file loaded or the wizard's.
    const QString& configurationFileName() const { return m_configurationFileName; }
    bool checkDone() const { return m_checkDone; }
    bool saveDone() const { return m_saveDone; }
    // The file being edited: the one loaded or last saved; empty for none.
    const QString& filePath() const { return m_filePath; }
    // Whether the configuration differs from what was loaded or last saved
    // (or, for none, from where it started). Compared now.
    bool hasUnsavedChanges() const;
    // Compares again and shows the outcome in the title and the menu.
    void refreshModified();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // "&File": Save and Reload from Disk.
    void addFileMenu();
    // The "Edit" menu with Undo and Redo of the configuration's history.
    void addEditMenu();
    // The menu bar, made with the first menu.
    QMenuBar* sheetMenuBar();
    // The dialog (unless a path is given), the writer under the file's lock,
    // the report and the restart; true when the file was written.
    bool writeAndReport(std::optional<QString> target);
    // Reads the file at path into a fresh record; nothing when it could not
    // be read (the error told).
    std::unique_ptr<Configuration> readFile(const QString& path);
    // path (none: empty) is now the file being edited, and text the
    // configuration as it holds it.
    void setCleanState(const QString& path, std::string text);
    void updateTitle();
    void reportLoad(const QString& path, const ReaderFindings& findings);
    // Remembers what the configuration starts from: the file at path, its
    // bytes on disk (none when there is no file) and text, what Review
    // Changes compares with.
    void setBase(const QString& path, std::string text, std::optional<std::string> disk);
    // Whether the file at path, now holding now, is the one loaded and
    // changed since.
    bool changedSinceLoad(const QString& path, const std::optional<std::string>& now) const;
    // Before a save to path, when the file there is no longer what was
    // loaded: asks whether to overwrite it, with the changes to see first.
    bool confirmOverwrite(const QString& path, const std::string& ours, const std::optional<std::string>& now);
    // Before a save to path, when an interrupted save left a recovery copy:
    // asks whether to save all the same (and drop the copy).
    bool confirmRecovery(const QString& path);
    // How long a save waits for another program that changes the file.
    static constexpr std::chrono::seconds kLockWait{10};
    // Shows the diff of before against after in the changes window.
    void showChanges(const QString& summary, const std::string& before, const std::string& after,
                     const QString& beforeLabel, const QString& afterLabel);

    AppServices m_services;
    std::unique_ptr<Configuration> m_configuration;
    // Every change of the configuration since it was loaded or made new;
    // kept across pages and the check.
    QUndoStack m_history;
    EditMenu* m_editMenu = nullptr;
    StartPage* m_page0;
    PrinterPage* m_page1;
    PaperPage* m_page2;
    DicomPage* m_page3;
    AdditionalSettingsPage* m_page4;
    QIcon m_icon;
    QString m_configurationFileName;
    bool m_checkDone = false;
    bool m_saveDone = false;
    bool m_opened = false;
    // The start of this configuration: the file it was loaded from (or the
    // name a new one offers), its bytes then (none when no file was there),
    // and the text Review Changes compares with.
    bool m_baseSet = false;
    QString m_basePath;
    std::optional<std::string> m_baseDisk;
    std::string m_baseText;
    // What "unsaved" compares with: the configuration as formatted when it
    // was loaded, last saved or started.
    QString m_filePath;
    std::string m_cleanText;
    bool m_modified = false;
    UserActionWatch* m_watch = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QAction* m_reloadAction = nullptr;
};
