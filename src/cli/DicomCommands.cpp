// The DICOM checks of quarvel-cfg: echo and filmtest.
#include <ostream>

#include "cli/CfgCommand.h"
#include "cli/CommandStreams.h"
#include "config/Configuration.h"
#include "dicom/DicomChecks.h"
#include "dicom/DicomPlugin.h"

namespace cfgtool {

namespace {

DicomPeer dicomPeer(const Configuration& config, const Options& options, const Operands& operands, std::size_t host)
{
    DicomPeer peer;
    peer.port = config.Port;
    peer.timeoutSeconds = options.timeoutSeconds;
    if (operands.size() > host)
        peer.host = operands[host];
    return peer;
}

// The checks, loaded as the first check starts; null when the plugin is
// missing or broken, which has been said then.
DicomChecks* loadChecks(Invocation& invocation, const char* command)
{
    std::string error;
    DicomChecks* checks = dicomChecks(error);
    if (!checks)
        fail(invocation, std::string(command) + ": " + error);
    return checks;
}

// As --verbose and --debug ask, and off otherwise: each run chooses anew.
void chooseDicomLog(DicomChecks& checks, const Options& options)
{
    checks.setLogLevel(options.debug     ? DicomLogLevel::Debug
                       : options.verbose ? DicomLogLevel::Info
                                         : DicomLogLevel::Off);
}

int echo(Invocation& invocation, const Options& options, const Operands& operands)
{
    Configuration config;
    if (!load(invocation, config, operands[0], nullptr))
        return kError;
    const std::vector<std::string> titles = verificationTitles(config);
    if (titles.empty())
        return fail(invocation, "echo: " + displayName(operands[0]) + " names no AE title");
    DicomChecks* checks = loadChecks(invocation, "echo");
    if (!checks)
        return kError;
    const DicomPeer peer = dicomPeer(config, options, operands, 1);
    chooseDicomLog(*checks, options);
    DicomCancel cancel;
    bool all = true;
    checks->verifyServer(peer, titles, cancel, [&](const EchoResult& result) {
        invocation.out << checks->echoLine(result, peer) << '\n' << std::flush;
        all = all && result.outcome == DicomOutcome::Answered;
    });
    return all ? kOk : kFault;
}

int filmTest(Invocation& invocation, const Options& options, const Operands& operands)
{
    Configuration config;
    if (!load(invocation, config, operands[0], nullptr))
        return kError;
    const std::string& printer = operands[1];
    if (!config.Printers.exists(printer))
        return fail(invocation, "filmtest: '" + printer + "' is no printer of " + displayName(operands[0]));
    DicomChecks* checks = loadChecks(invocation, "filmtest");
    if (!checks)
        return kError;
    const DicomPeer peer = dicomPeer(config, options, operands, 2);
    chooseDicomLog(*checks, options);
    DicomCancel cancel;
    const TestFilmReport report = checks->sendTestFilm(peer, printer, config.Layout.Orientation != 0, cancel);
    for (const std::string& line : checks->testFilmLines(report, printer, peer))
        invocation.out << line << '\n';
    return report.printed ? kOk : kFault;
}

const Command kDicomCommands[] = {
    {.name = "echo",
     .arguments = "[--timeout SECONDS] [--verbose|--debug] CONFIG [HOST]",
     .summary = "send a DICOM C-ECHO to the server's and each printer's AE title",
     .help = "Associates to HOST (default 127.0.0.1) on the Port of CONFIG with the calling\n"
             "AE title QUARVEL and, in turn, the called AE title ServerAETitle and each\n"
             "printer's PrinterAETitle (each title once), sends a C-ECHO and releases.\n"
             "Prints one line per AE title: answered (with the round trip in ms),\n"
             "rejected (with the reason), aborted, no connection (with the reason) or\n"
             "timed out.\n"
             "\n"
             "  --timeout SECONDS   bound of each step from its start: the connection with\n"
             "                      the association, each request with its response (event\n"
             "                      reports included), the release (default 10)\n"
             "  -v, --verbose       also print the DICOM toolkit's processing details (its\n"
             "                      log from INFO on) on standard error\n"
             "  -d, --debug         the same with its debug information (from DEBUG on)\n"
             "\n"
             "Exit status: 0 every title answered, 1 one did not, 2 a file or usage error.\n",
     .run = echo,
     .operands = 1,
     .optionalOperands = 1,
     .timeout = true,
     .dicomLog = true},
    {.name = "filmtest",
     .arguments = "[--timeout SECONDS] [--verbose|--debug] CONFIG PRINTER_AE [HOST]",
     .summary = "print a DICOM test film through the server to a printer",
     .help = "Associates to HOST (default 127.0.0.1) on the Port of CONFIG, called AE title\n"
             "PRINTER_AE (a printer of CONFIG), with the Basic Grayscale Print Management\n"
             "Meta SOP Class, and prints one test film: N-GET of the printer's status,\n"
             "N-CREATE of a film session (1 copy) and a film box (STANDARD\\1,1, the\n"
             "layout's orientation), N-SET of its image box with a 512 x 512 test image (a\n"
             "grey wedge of 16 steps and line patterns), N-ACTION print, N-DELETE,\n"
             "release. Prints each step with its DIMSE status and the outcome.\n"
             "\n"
             "  --timeout SECONDS   bound of each step from its start: the connection with\n"
             "                      the association, each request with its response (event\n"
             "                      reports included), the release (default 10)\n"
             "  -v, --verbose       also print the DICOM toolkit's processing details (its\n"
             "                      log from INFO on) on standard error\n"
             "  -d, --debug         the same with its debug information (from DEBUG on)\n"
             "\n"
             "Exit status: 0 the print action succeeded (success or warning), 1 it did not,\n"
             "2 a file or usage error, or PRINTER_AE is no printer of CONFIG.\n",
     .run = filmTest,
     .operands = 2,
     .optionalOperands = 1,
     .timeout = true,
     .dicomLog = true},
};

} // namespace

std::span<const Command> dicomCommands()
{
    return kDicomCommands;
}

} // namespace cfgtool
