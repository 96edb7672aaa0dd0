#include "app/QuarvelApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/MainSheet.h"
#include "app/ProgramOutput.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "pages/StartPage.h"
#include "platform/ServerControl.h"
#include "platform/Sockets.h"
#include "ui/Interaction.h"

namespace {

// Qt aborts without a display; say what to do instead.
#ifdef _WIN32
bool displayAvailable()
{
    return true; // the desktop is always there
}
#else
bool set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool displayAvailable()
{
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}
#endif

const char* const kSmoke = "smoke";

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Edits and checks the configuration file of the ZELNOR DICOM print server."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(QString::fromLatin1(kSmoke),
                                        QStringLiteral("Show the window once, then end (0: it was shown).")));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The configuration file to load, as Manual Configuration, Load does."),
                                 QStringLiteral("[FILE]"));
}

// A text for standard output; where there is none (Windows, started from
// the desktop) in a message box.
void tellUser(int argc, char** argv, const QString& text)
{
    if (writeProgramOutput(stdout, text))
        return;
    QApplication application(argc, argv);
    QMessageBox::information(nullptr, QStringLiteral("Quarvel"), text);
}

// --help and --version are answered before the window system starts, so
// that they work without a display. Anything else, Qt's own options among
// them, waits for the application.
bool answeredWithoutDisplay(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    describeCommandLine(parser);
    if (!parser.parse(arguments))
        return false;
    if (parser.isSet(QStringLiteral("version"))) {
        tellUser(argc, argv, QStringLiteral("quarvel " QUARVEL_VERSION "\n"));
        return true;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QString help;
        {
            QCoreApplication core(argc, argv); // the usage line names the program as called
            help = parser.helpText();
        }
        tellUser(argc, argv, help);
        return true;
    }
    return false;
}

} // namespace

bool QuarvelApp::startSocketLibrary()
{
    // Windows Sockets 1.1, which the ping needs; nothing to start elsewhere.
    return ::startSocketLibrary(1, 1);
}

int QuarvelApp::run(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Quarvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUARVEL_VERSION));
    if (answeredWithoutDisplay(argc, argv))
        return 0;
    if (!displayAvailable()) {
        std::fputs("Quarvel needs a graphical display, and none was found (DISPLAY is not set); run it on a desktop, "
                   "under xvfb-run, or with QT_QPA_PLATFORM=offscreen for a smoke run.\n",
                   stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(application); // a usage error ends the program with its message
    if (parser.positionalArguments().size() > 1) {
        writeProgramOutput(stderr, QStringLiteral("quarvel: one FILE at most\n"));
        return 2;
    }
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
    const bool smoke = parser.isSet(QString::fromLatin1(kSmoke));
    if (!parser.positionalArguments().isEmpty()) {
        // Loaded once the window is up, so that its report shows over it.
        const QString file = parser.positionalArguments().constFirst();
        QTimer::singleShot(0, &sheet, [&sheet, file] { sheet.startPageWidget()->loadFile(file); });
    }
    if (smoke) {
        QTimer::singleShot(0, &sheet, [&sheet] {
            const bool shown = sheet.isVisible() && !sheet.grab().isNull();
            writeProgramOutput(stderr, shown ? QStringLiteral("quarvel: smoke run: the window was shown\n")
                                             : QStringLiteral("quarvel: smoke run: no window\n"));
            sheet.done(shown ? QDialog::Accepted : QDialog::Rejected);
        });
    }
    const int result = sheet.exec();
    return smoke && result != QDialog::Accepted ? 1 : 0;
}
