#include "app/QuarvelApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/MainSheet.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "platform/ServerControl.h"
#include "platform/Sockets.h"
#include "ui/Interaction.h"

namespace {

// Qt aborts without a display; say what to do instead.
bool set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool displayAvailable()
{
#ifdef _WIN32
    return true; // the desktop is always there
#else
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#endif
}

} // namespace

bool QuarvelApp::startSocketLibrary()
{
    // Windows Sockets 1.1, which the ping needs; nothing to start elsewhere.
    return ::startSocketLibrary(1, 1);
}

int QuarvelApp::run(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fputs("Quarvel needs a graphical display, and none was found (DISPLAY is not set); run it on a desktop, "
                   "under xvfb-run, or with QT_QPA_PLATFORM=offscreen for a smoke run.\n",
                   stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarvel"));
    QApplication::setApplicationVersion(QStringLiteral("1.3"));
    // Ties the window to the installed desktop entry (its icon and name).
    QGuiApplication::setDesktopFileName(QStringLiteral(QUARVEL_APP_ID));
    if (!startSocketLibrary()) {
        QMessageBox::warning(nullptr, QStringLiteral("Quarvel"), QString::fromLatin1(kSocketStartupFailed));
        return 1;
    }

    QtInteraction interaction;
    ServerControl server;
    AppServices services{interaction, server, PrinterTestEnvironment::system()};
    MainSheet sheet(services);
    // "--smoke" closes the window as soon as it has been shown and painted,
    // so that scripts can prove an installed editor starts.
    const bool smoke = QApplication::arguments().contains(QStringLiteral("--smoke"));
    if (smoke) {
        QTimer::singleShot(0, &sheet, [&sheet] {
            const bool shown = sheet.isVisible() && !sheet.grab().isNull();
            std::fputs(shown ? "quarvel: smoke run: the window was shown\n" : "quarvel: smoke run: no window\n",
                       stderr);
            sheet.done(shown ? QDialog::Accepted : QDialog::Rejected);
        });
    }
    const int result = sheet.exec();
    return smoke && result != QDialog::Accepted ? 1 : 0;
}
