#include "cli/CfgTool.h"

#include <ostream>

#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"
#include "diagnostics/PrinterTest.h"
#include "platform/Folders.h"
#include "platform/ServerControl.h"

namespace {

constexpr int kOk = 0;
constexpr int kFault = 1;
constexpr int kError = 2;

const char* const kUsage = "Usage: quarvel-cfg COMMAND [ARGUMENTS]\n"
                           "\n"
                           "Works on configuration files of the print server without opening the editor.\n"
                           "\n"
                           "Commands:\n"
                           "  defaults OUT        write a configuration with every default to OUT\n"
                           "  normalize IN OUT    load IN and save it to OUT in the editor's exact format\n"
                           "                      (an existing OUT is kept as a backup: .bak, .bk2, ...)\n"
                           "  check IN            load IN and print each fault that would stop the server,\n"
                           "                      one per line\n"
                           "  ping ADDRESS        send one ICMP echo to a printer and print the report\n"
                           "  testpage ADDRESS QUEUE\n"
                           "                      send testpage.ps (from the current directory, else the\n"
                           "                      installed data folder, else beside the program) to QUEUE\n"
                           "                      on ADDRESS over LPD, TCP port 515 (after a ping), append\n"
                           "                      a line to testprint.log, and print each message\n"
                           "  restart             end the running print server (tcpsrv.exe, also under\n"
                           "                      Wine) and start ZELNOR.bat of the current directory\n"
                           "  --help              show this text\n"
                           "  --version           show the version\n"
                           "\n"
                           "Exit status: 0 success and no fault, 1 the check found a fault, the ping or\n"
                           "test page failed or the start script could not be started, 2 a file error\n"
                           "(message on standard error) or a usage error.\n";

int Usage(std::ostream& err)
{
    err << kUsage;
    return kError;
}

int Load(CConfiguration& config, const std::string& path, std::ostream& err)
{
    std::string message;
    if (!config.LoadFromFile(path, message)) {
        err << message << '\n';
        return kError;
    }
    return kOk;
}

int Save(const CConfiguration& config, const std::string& path, std::ostream& out, std::ostream& err)
{
    std::string message;
    if (!config.SaveToFile(path, message)) {
        err << message << '\n';
        return kError;
    }
    out << message << '\n';
    return kOk;
}

int Defaults(const std::string& out_path, std::ostream& out, std::ostream& err)
{
    CConfiguration config;
    return Save(config, out_path, out, err);
}

int Normalize(const std::string& in, const std::string& out_path, std::ostream& out, std::ostream& err)
{
    CConfiguration config;
    if (const int status = Load(config, in, err); status != kOk)
        return status;
    return Save(config, out_path, out, err);
}

int Check(const std::string& in, std::ostream& out, std::ostream& err)
{
    CConfiguration config;
    if (const int status = Load(config, in, err); status != kOk)
        return status;
    const ConfigurationFaults faults = FindConfigurationFaults(config);
    for (std::string line : faults.lines) {
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        out << line << '\n';
    }
    return faults.empty() ? kOk : kFault;
}

class PrintingSink : public MessageSink {
  public:
    explicit PrintingSink(std::ostream& out) : m_out(out) {}
    void ShowMessage(const std::string& text, MessageIcon) override { m_out << text << '\n'; }

  private:
    std::ostream& m_out;
};

int Ping(const std::string& address, std::ostream& out, PrinterTestEnvironment& environment)
{
    std::string report;
    const bool ok = CPrinterTest(environment).Ping(address, report);
    out << report << '\n';
    return ok ? kOk : kFault;
}

int TestPage(const std::string& address, const std::string& queue, std::ostream& out,
             PrinterTestEnvironment& environment)
{
    PrintingSink sink(out);
    return CPrinterTest(environment).SendTestPage(address, queue, sink) ? kOk : kFault;
}

} // namespace

int RestartCommand(ServerControl& control, std::ostream& out)
{
    const RestartOutcome outcome = RestartServer(control);
    out << "Ended " << outcome.ended << " server process" << (outcome.ended == 1 ? "" : "es") << " ("
        << kServerExecutable << ").\n";
    const std::string where = CurrentDirectory();
    if (outcome.started) {
        out << "Started " << kServerStartScript << " in " << where << ".\n";
        return kOk;
    }
    out << "Could not start " << kServerStartScript << " in " << where << ".\n";
    return kFault;
}

int RunCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunCfgTool(args, out, err, PrinterTestEnvironment::System());
}

int RunCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment)
{
    if (args.empty())
        return Usage(err);
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kOk;
    }
    if (command == "--version") {
        out << "quarvel-cfg 1.3\n";
        return kOk;
    }
    if (command == "defaults" && args.size() == 2)
        return Defaults(args[1], out, err);
    if (command == "normalize" && args.size() == 3)
        return Normalize(args[1], args[2], out, err);
    if (command == "check" && args.size() == 2)
        return Check(args[1], out, err);
    if (command == "ping" && args.size() == 2)
        return Ping(args[1], out, environment);
    if (command == "testpage" && args.size() == 3)
        return TestPage(args[1], args[2], out, environment);
    if (command == "restart" && args.size() == 1) {
        ServerControl control;
        return RestartCommand(control, out);
    }
    return Usage(err);
}
