#pragma once

#include <QIcon>
#include <QString>
#include <vector>

#include "app/AppServices.h"
#include "config/Configuration.h"
#include "pages/PageHost.h"
#include "ui/PropertySheet.h"

struct Finding;

class CPage0Start;
class CPage1Printer;
class CPage2PaperLayout;
class CPage3Dicom;
class CPage4Extra;
struct sWizardResult;

// The main window "Quarvel 1.3": a property sheet that owns the one
// configuration record of the run. It opens on the Start page; the four
// configuration pages are added by New, Load or the wizard.
class CQuarvel : public PropertySheet, public PageHost {
    Q_OBJECT
  public:
    // Sheet positions of the pages.
    enum PagePosition { StartPage = 0, PrinterPage = 1, PaperPage = 2, DicomPage = 3, ExtraPage = 4 };

    explicit CQuarvel(const AppServices& services, QWidget* parent = nullptr);
    ~CQuarvel() override;

    // PageHost
    CConfiguration& configuration() override { return m_configuration; }
    Interaction& interaction() override { return m_services.interaction; }
    PrinterTestEnvironment& diagnostics() override { return m_services.diagnostics; }
    bool apply() override;
    bool confirmClose() override;
    void checkMustRunAgain() override { m_checkDone = false; }

    // Adds Printer, Paper, DICOM and Additional Settings, at most once.
    void AddConfigurationPages();
    // Reads the file at path on top of the record; an error box on failure,
    // a warning with the details when a save would not keep some lines.
    bool LoadConfiguration(const QString& path);
    // Takes the wizard's answers and the name the user gave them.
    void ApplyWizardAnswers(const sWizardResult& answers);
    // The faults that stop the server, with the chance to go back to them.
    bool CheckConfiguration();
    // The save dialog, the writer, the exit report and the restart.
    bool SaveAndReport();

    CPage0Start* StartPageWidget() const { return m_page0; }
    CPage1Printer* PrinterPageWidget() const { return m_page1; }
    CPage2PaperLayout* PaperPageWidget() const { return m_page2; }
    CPage3Dicom* DicomPageWidget() const { return m_page3; }
    CPage4Extra* ExtraPageWidget() const { return m_page4; }

    // The name offered by the save dialog: the file loaded or the wizard's.
    const QString& configurationFileName() const { return m_configurationFileName; }
    bool checkDone() const { return m_checkDone; }
    bool saveDone() const { return m_saveDone; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString BuildReport(bool saved, const QString& writerMessage, bool asConfigCfg) const;
    void WarnOfLostLines(const QString& path, const std::vector<Finding>& findings);

    AppServices m_services;
    CConfiguration m_configuration;
    CPage0Start* m_page0;
    CPage1Printer* m_page1;
    CPage2PaperLayout* m_page2;
    CPage3Dicom* m_page3;
    CPage4Extra* m_page4;
    QIcon m_icon;
    QString m_configurationFileName;
    bool m_checkDone = false;
    bool m_saveDone = false;
    bool m_opened = false;
};
