// Renders every window of the editor to PNG files, for looking at them:
// gui_screenshots OUTDIR [DICOM_PORT]. With a DICOM server listening on
// 127.0.0.1:DICOM_PORT, "verify-server.png" shows its Verify Server results
// (without, those of the sample's port), and its text goes to standard
// output. Not a test itself; nothing is asserted.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "GuiFixture.h"
#include "SampleConfig.h"
#include "app/EditMenu.h"
#include "app/ExitDialog.h"
#include "pages/HeaderDialog.h"
#include "pages/ManualStartDialog.h"
#include "pages/PaperSizeDialog.h"
#include "pages/PrinterDialog.h"
#include "pages/StandardPaperSizeDialog.h"
#include "pages/StartPage.h"
#include "ui/ReportList.h"
#include "wizard/ConfigurationWizard.h"
#include "wizard/WizardFinishDialog.h"

namespace {

QString g_dir;

void save(QWidget& widget, const QString& name)
{
    widget.show();
    // A window that chose its own opening size keeps it.
    if (!widget.testAttribute(Qt::WA_Resized))
        widget.adjustSize();
    QApplication::processEvents();
    widget.grab().save(g_dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// A header bitmap as a print server would put on its pages.
QString writeLogo(const QString& dir)
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

// The window as a desktop shows it: a title bar with the window's title, the
// unsaved-changes mark put in for "[*]" as the platform does, above the
// window; and an open menu drawn where it drops down.
void saveFramed(QWidget& window, const QString& name, QMenu* open = nullptr, QPoint menuAt = {})
{
    window.show();
    QApplication::processEvents();
    const QPixmap content = window.grab();
    QString title = window.windowTitle();
    title.replace(QStringLiteral("[*]"), window.isWindowModified() ? QStringLiteral("*") : QString());
    constexpr int kBar = 30;
    QImage framed(content.width() + 2, content.height() + kBar + 1, QImage::Format_RGB32);
    framed.fill(QColor(0x3c, 0x3f, 0x44));
    QPainter painter(&framed);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, framed.width(), kBar), Qt::AlignCenter, title);
    painter.drawPixmap(1, kBar, content);
    if (open) {
        open->popup(window.mapToGlobal(menuAt));
        QApplication::processEvents();
        painter.drawPixmap(1 + menuAt.x(), kBar + menuAt.y(), open->grab());
        open->hide();
    }
    painter.end();
    framed.save(g_dir + QLatin1Char('/') + name + QStringLiteral(".png"));
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
    MainSheet sheet(AppServices{ui, server, diagnostics});
    fillSample(sheet.configuration());
    sheet.resize(620, 560);
    save(sheet, QStringLiteral("0-start"));
    ui.modalHandlers.push_back([](QDialog& d) {
        save(d, QStringLiteral("manual-start"));
        click(d, "newButton");
    });
    sheet.startPageWidget()->onManualConfiguration();
    const char* names[] = {"1-printer", "2-paper", "3-dicom", "4-extra"};
    for (int i = 1; i <= 4; ++i) {
        sheet.setActivePage(i);
        sheet.resize(620, 560);
        save(sheet, QString::fromLatin1(names[i - 1]));
    }

#ifdef QUARVEL_DICOM
    // Verify Server on the DICOM page, its results as the message box shows them.
    sheet.setActivePage(3);
    if (argc > 2)
        setText(sheet, "port", QString::fromLocal8Bit(argv[2]));
    ui.modalHandlers.push_back([](QDialog& task) {
        while (task.isVisible())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    });
    sheet.findChild<QPushButton*>(QStringLiteral("verifyServer"))->click();
    if (!ui.messages.empty()) {
        const ScriptedInteraction::Message& shown = ui.lastMessage();
        std::printf("%s\n", shown.text.toUtf8().constData()); // for the scripts that run it against a server
        QMessageBox box(shown.icon == Interaction::Icon::Information ? QMessageBox::Information : QMessageBox::Warning,
                        sheet.windowTitle(), shown.text, QMessageBox::Ok, &sheet);
        save(box, QStringLiteral("verify-server"));
    }
#endif

    // Review Changes (the sample against the defaults a New configuration
    // starts from), and the question before overwriting a file another
    // program changed, as the real message box shows it.
    ui.modalHandlers.push_back([](QDialog& d) {
        d.resize(760, 520);
        save(d, QStringLiteral("review-changes"));
    });
    sheet.reviewChanges();
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            save(*box, QStringLiteral("file-changed"));
            box->close();
        }
    });
    QtInteraction real;
    real.message(&sheet, QStringLiteral("config.cfg was changed by another program since it was loaded."),
                 Interaction::Icon::Warning, Interaction::Buttons::ShowChangesOverwriteCancel);

    PrinterDialog printer(ui, diagnostics, TextEncoding::Windows1252);
    printer.setRecord(*sheet.configuration().Printers.at(0));
    save(printer, QStringLiteral("printer-dialog"));
    // The sample's header bitmap lives on a Windows drive; here it is a
    // file that can be read, so that the preview shows it.
    QTemporaryDir bitmaps;
    HeaderList headers = sheet.configuration().Headers;
    headers.at(0)->IncludeFile = writeLogo(bitmaps.path()).toStdString();
    PaperSizeDialog paper(ui, TextEncoding::Windows1252);
    paper.setRecord(*sheet.configuration().Papers.begin());
    paper.setHeaders(&headers);
    save(paper, QStringLiteral("paper-dialog"));
    HeaderDialog header(ui, TextEncoding::Windows1252);
    header.setRecord(HeaderRecord{"LOGO", "C:\\bitmaps\\logo.bmp"});
    save(header, QStringLiteral("header-dialog"));
    StandardPaperSizeDialog standard(ui, TextEncoding::Windows1252);
    save(standard, QStringLiteral("standard-dialog"));

    ExitDialog exitDialog(
        QStringLiteral(
            "Saving status:\tSUCCESS\n\nConfiguration saved to file '/srv/zelnor/config.cfg'.\n\nInformation:\n\n"
            "Restart the ZELNOR application to take effect of any changes in the configuration."),
        true);
    save(exitDialog, QStringLiteral("exit-dialog"));
    WizardFinishDialog finish;
    finish.Message = QStringLiteral("Do you want to save the settings and close the quarvel or do you want to "
                                    "proceed to be able to change more settings manually?");
    save(finish, QStringLiteral("wizard-finish"));

    ConfigurationWizard wizard(ui, diagnostics, TextEncoding::Windows1252, nullptr);
    wizard.show();
    for (int id = 0; id < 5; ++id) {
        save(wizard, QStringLiteral("wizard-%1").arg(id + 1));
        if (id < 4) {
            // Fill each page so that "Next" passes.
            if (id == 1) {
                setText(wizard, "aeTitle", QStringLiteral("LASER3"));
                setText(wizard, "address", QStringLiteral("192.168.10.21"));
            } else if (id == 2) {
                setText(wizard, "layoutTitle", QStringLiteral("14INX17IN"));
                for (const char* list : {"paperSize", "orientation", "borderDensity", "emptyDensity"})
                    child<QComboBox>(wizard, list)->setCurrentIndex(1);
            } else if (id == 3) {
                setText(wizard, "serverName", QStringLiteral("RADSRV"));
            }
            wizard.next();
        }
    }
    wizard.hide();

    // Editing a file: its name in the title, marked as changed after a
    // printer was deleted, and the Edit menu open on the Undo of that.
    QTemporaryDir files;
    const QString path = files.path() + QStringLiteral("/config.cfg");
    std::string message;
    sheet.configuration().saveToFile(path.toStdString(), message);
    sheet.loadConfiguration(path);
    sheet.setActivePage(MainSheet::PrinterTab);
    sheet.resize(620, 560);
    auto* printers = sheet.findChild<ReportList*>(QStringLiteral("printerList"));
    printers->setFocus();
    printers->selectRows({0});
    // As the key comes from the keyboard: pressed, then let go.
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(printers, &key);
    }
    QApplication::processEvents();
    QMenuBar* bar = sheet.editMenu()->menuBar();
    QMenu* edit = sheet.findChild<QMenu*>(QStringLiteral("editMenu"));
    const QRect title = bar->actionGeometry(edit->menuAction());
    saveFramed(sheet, QStringLiteral("editing"), edit, bar->mapTo(&sheet, title.bottomLeft()));
    return 0;
}
