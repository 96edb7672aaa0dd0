// The diagnostics of quarvel-cfg: ping, testpage and restart.
#include <ostream>

#include "cli/CfgCommand.h"
#include "cli/CfgTool.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "platform/Folders.h"
#include "platform/ServerControl.h"

namespace cfgtool {

namespace {

class PrintingSink : public MessageSink {
  public:
    explicit PrintingSink(std::ostream& out) : m_out(out) {}
    void showMessage(const std::string& text, MessageIcon) override { m_out << text << '\n'; }

  private:
    std::ostream& m_out;
};

int ping(Invocation& invocation, const Options&, const Operands& operands)
{
    std::string report;
    const bool ok = PrinterDiagnostics(invocation.environment).ping(operands[0], report);
    invocation.out << report << '\n';
    return ok ? kOk : kFault;
}

int testPage(Invocation& invocation, const Options&, const Operands& operands)
{
    PrintingSink sink(invocation.out);
    return PrinterDiagnostics(invocation.environment).sendTestPage(operands[0], operands[1], sink) ? kOk : kFault;
}

int restart(Invocation& invocation, const Options&, const Operands&)
{
    ServerControl control;
    return restartCommand(control, invocation.out);
}

const Command kDiagnosticCommands[] = {
    {.name = "ping",
     .arguments = "ADDRESS",
     .summary = "send one ICMP echo to a printer and print the report",
     .help = "Sends one ICMP echo request to ADDRESS and prints the report.\n"
             "Exit status: 0 answered, 1 no answer.\n",
     .run = ping,
     .operands = 1},
    {.name = "testpage",
     .arguments = "ADDRESS QUEUE",
     .summary = "send testpage.ps to a printer queue over LPD",
     .help = "Sends testpage.ps (from the current directory, else the installed data\n"
             "folder, else beside the program) to QUEUE on ADDRESS over LPD, TCP port 515,\n"
             "after a ping; appends a line to testprint.log and prints each message.\n"
             "Exit status: 0 sent, 1 failed.\n",
     .run = testPage,
     .operands = 2},
    {.name = "restart",
     .arguments = "",
     .summary = "end the running print server and start ZELNOR.bat",
     .help = "Ends every running print server (tcpsrv.exe, also under Wine) and starts\n"
             "ZELNOR.bat of the current directory (through Wine for a batch file), then\n"
             "prints how many server processes were ended and whether the script was\n"
             "started. Exit status: 0 started, 1 not started.\n",
     .run = restart,
     .operands = 0},
};

} // namespace

std::span<const Command> diagnosticCommands()
{
    return kDiagnosticCommands;
}

} // namespace cfgtool

int restartCommand(ServerControl& control, std::ostream& out)
{
    const RestartOutcome outcome = restartServer(control);
    out << "Ended " << outcome.ended << " server process" << (outcome.ended == 1 ? "" : "es") << " ("
        << kServerExecutable << ").\n";
    const std::string where = currentDirectory();
    if (outcome.started) {
        out << "Started " << outcome.script << " in " << where << ".\n";
        return cfgtool::kOk;
    }
    out << "Could not start " << outcome.script << " in " << where << ".\n";
    return cfgtool::kFault;
}
