#include "app/QuarvelApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/Quarvel.h"
#include "diagnostics/PrinterTest.h"
#include "platform/ServerControl.h"
#include "platform/Sockets.h"
#include "ui/Interaction.h"

namespace {

// Qt aborts without a display; say what to do instead.
bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool DisplayAvailable()
{
#ifdef _WIN32
    return true; // the desktop is always there
#else
    return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
#endif
}

} // namespace

bool CQuarvelApp::StartSocketLibrary()
{
    // Windows Sockets 1.1, which the ping needs; nothing to start elsewhere.
    return ::StartSocketLibrary(1, 1);
}

int CQuarvelApp::Run(int argc, char** argv)
{
    if (!DisplayAvailable()) {
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
    if (!StartSocketLibrary()) {
        QMessageBox::warning(nullptr, QStringLiteral("Quarvel"), QString::fromLatin1(kSocketStartupFailed));
        return 1;
    }

    QtInteraction interaction;
    ServerControl server;
    AppServices services{interaction, server, PrinterTestEnvironment::System()};
    CQuarvel sheet(services);
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
