// Renders every window of the editor to PNG files, for looking at them:
// gui_screenshots OUTDIR [SCALE]. Not a test; nothing is asserted.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
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
    // A window that chose its own opening size keeps it.
    if (!widget.testAttribute(Qt::WA_Resized))
        widget.adjustSize();
    QApplication::processEvents();
    widget.grab().save(g_dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// A header bitmap as a print server would put on its pages.
QString WriteLogo(const QString& dir)
{
    QImage logo(600, 120, QImage::Format_RGB32);
    logo.fill(QColor(0x1d, 0x4e, 0x89));
    QPainter painter(&logo);
    painter.fillRect(QRect(20, 20, 80, 80), Qt::white);
    painter.fillRect(QRect(50, 30, 20, 60), QColor(0xc0, 0x30, 0x30));
    painter.fillRect(QRect(30, 50, 60, 20), QColor(0xc0, 0x30, 0x30));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(44);
    painter.setFont(font);
    painter.drawText(QRect(130, 0, 470, 120), Qt::AlignVCenter, QStringLiteral("St. Elsewhere"));
    painter.end();
    const QString path = dir + QStringLiteral("/logo.bmp");
    logo.save(path, "BMP");
    return path;
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
    // The sample's header bitmap lives on a Windows drive; here it is a
    // file that can be read, so that the preview shows it.
    QTemporaryDir bitmaps;
    CHeaderList headers = sheet.configuration().Headers;
    headers.GetAt(0)->IncludeFile = WriteLogo(bitmaps.path()).toStdString();
    CPaperSizeDialog paper(ui);
    paper.SetRecord(*sheet.configuration().Papers.begin());
    paper.SetHeaders(&headers);
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
