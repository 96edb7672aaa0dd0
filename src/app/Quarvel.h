#pragma once

#include <QIcon>
#include <QString>

#include "AppServices.h"
#include "Configuration.h"
#include "PropertySheet.h"

class CPage0Start;
class CPage1Printer;
class CPage2PaperLayout;
class CPage3Dicom;
class CPage4Extra;
class PrinterTestEnvironment;

// The main window "Quarvel 1.3": a property sheet that owns the one
// configuration record of the run. It opens on the Start page; the four
// configuration pages are added by New, Load or the wizard.
class CQuarvel : public PropertySheet {
    Q_OBJECT
public:
    // Sheet positions of the pages.
    enum PagePosition { StartPage = 0, PrinterPage = 1, PaperPage = 2, DicomPage = 3, ExtraPage = 4 };

    explicit CQuarvel(const AppServices& services, QWidget* parent = nullptr);
    ~CQuarvel() override;

    CConfiguration& Configuration() { return m_configuration; }
    Interaction& Ui() const { return m_services.interaction; }
    PrinterTestEnvironment& Diagnostics() const { return m_services.diagnostics; }

    // Adds Printer, Paper, DICOM and Additional Settings, at most once.
    void AddConfigurationPages();
    // "Changes made will not be saved. Do you really want to close?"
    bool ConfirmClose();
    // The faults that stop the server, with the chance to go back to them.
    bool CheckConfiguration();
    // The save dialog, the writer, the exit report and the restart.
    bool SaveAndReport();
    // The apply operation all pages share: check, then save and report.
    bool Apply();
    bool TerminateProcessesByName(const QString& name, bool all);

    CPage0Start* StartPageWidget() const { return m_page0; }
    CPage1Printer* PrinterPageWidget() const { return m_page1; }
    CPage2PaperLayout* PaperPageWidget() const { return m_page2; }
    CPage3Dicom* DicomPageWidget() const { return m_page3; }
    CPage4Extra* ExtraPageWidget() const { return m_page4; }

    QString ConfigurationFileName;
    bool CheckDone = false;
    bool SaveDone = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString BuildReport(bool saved, const QString& writerMessage, bool asConfigCfg) const;

    AppServices m_services;
    CPage0Start* m_page0;
    CPage1Printer* m_page1;
    CPage2PaperLayout* m_page2;
    CPage3Dicom* m_page3;
    CPage4Extra* m_page4;
    CConfiguration m_configuration;
    QIcon m_icon;
    bool m_opened = false;
};
