#include "app/QuarvelApp.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "app/Quarvel.h"
#include "diagnostics/PrinterTest.h"
#include "platform/ServerControl.h"
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
    return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

} // namespace

bool CQuarvelApp::StartSocketLibrary()
{
    return true;
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
    if (!StartSocketLibrary()) {
        QMessageBox::warning(nullptr, QStringLiteral("Quarvel"),
                             QStringLiteral("Fehler beim Initialisieren der Windows-Sockets."));
        return 1;
    }

    QtInteraction interaction;
    ServerControl server;
    AppServices services{interaction, server, PrinterTestEnvironment::System()};
    CQuarvel sheet(services);
    sheet.exec();
    return 0;
}
