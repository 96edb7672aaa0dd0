// Renders every window of the editor to PNG files, for looking at them:
// gui_screenshots OUTDIR [SCALE]. Not a test; nothing is asserted.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include "GuiFixture.h"
#include "SampleConfig.h"
#include "app/ExitDialog.h"
#include "app/ManualStartDialog.h"
#include "app/Page0Start.h"
#include "pages/HeaderDialog.h"
#include "pages/PaperSizeDialog.h"
#include "pages/PrinterDialog.h"
#include "pages/StandardPaperSizeDialog.h"
#include "wizard/ConfigurationWizard.h"
#include "wizard/WizardFinishDlg.h"

namespace {

QString g_dir;

void Save(QWidget& widget, const QString& name)
{
    widget.show();
    widget.adjustSize();
    QApplication::processEvents();
    widget.grab().save(g_dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(g_dir);

    ScriptedInteraction ui;
    RecordingServer server;
    FakeDiagnostics diagnostics;
    CQuarvel sheet(AppServices{ui, server, diagnostics});
    FillSample(sheet.configuration());
    sheet.resize(620, 560);
    Save(sheet, QStringLiteral("0-start"));
    ui.modalHandlers.push_back([](QDialog& d) {
        Save(d, QStringLiteral("manual-start"));
        Click(d, "newButton");
    });
    sheet.StartPageWidget()->OnManualConfiguration();
    const char* names[] = {"1-printer", "2-paper", "3-dicom", "4-extra"};
    for (int i = 1; i <= 4; ++i) {
        sheet.setActivePage(i);
        sheet.resize(620, 560);
        Save(sheet, QString::fromLatin1(names[i - 1]));
    }

    CPrinterDialog printer(ui, diagnostics);
    printer.SetRecord(*sheet.configuration().Printers.GetAt(0));
    Save(printer, QStringLiteral("printer-dialog"));
    CPaperSizeDialog paper(ui);
    paper.SetRecord(*sheet.configuration().Papers.begin());
    paper.SetHeaders(&sheet.configuration().Headers);
    Save(paper, QStringLiteral("paper-dialog"));
    CHeaderDialog header(ui);
    header.SetRecord(sHeader{"LOGO", "C:\\bitmaps\\logo.bmp"});
    Save(header, QStringLiteral("header-dialog"));
    CStandardPaperSizeDialog standard(ui);
    Save(standard, QStringLiteral("standard-dialog"));

    CExitDialog exitDialog;
    exitDialog.ReportText = QStringLiteral(
        "Saving status:\tSUCCESS\n\nConfiguration saved to file '/srv/zelnor/config.cfg'.\n\nInformation:\n\n"
        "Restart the ZELNOR application to take effect of any changes in the configuration.");
    Save(exitDialog, QStringLiteral("exit-dialog"));
    CWizardFinishDlg finish;
    finish.Message = QStringLiteral("Do you want to save the settings and close the quarvel or do you want to "
                                    "proceed to be able to change more settings manually?");
    Save(finish, QStringLiteral("wizard-finish"));

    CConfigurationWizard wizard(ui, diagnostics, nullptr);
    wizard.show();
    for (int id = 0; id < 5; ++id) {
        Save(wizard, QStringLiteral("wizard-%1").arg(id + 1));
        if (id < 4) {
            // Fill each page so that "Next" passes.
            if (id == 1) {
                SetText(wizard, "aeTitle", QStringLiteral("LASER3"));
                SetText(wizard, "address", QStringLiteral("192.168.10.21"));
            } else if (id == 2) {
                SetText(wizard, "layoutTitle", QStringLiteral("14INX17IN"));
                for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
                    Child<QComboBox>(wizard, list)->setCurrentIndex(1);
            } else if (id == 3) {
                SetText(wizard, "serverName", QStringLiteral("RADSRV"));
            }
            wizard.next();
        }
    }
    return 0;
}
