#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FakeLpdServer.h"
#include "TestSupport.h"
#include "cli/CfgTool.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "diagnostics/IcmpPing.h"
#include "diagnostics/PrinterTest.h"
#include "platform/ServerControl.h"

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun Tool(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int status = RunCfgTool(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(CfgTool, DefaultsWritesAFreshConfiguration)
{
    TempDir dir;
    const ToolRun run = Tool({"defaults", dir.file("config.cfg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Configuration saved to file '" + dir.file("config.cfg") + "'.\n");
    CConfiguration fresh;
    EXPECT_EQ(ReadBytes(dir.file("config.cfg")), FormatConfiguration(fresh));
}

TEST(CfgTool, NormalizeRewritesInTheExactFormatKeepingABackup)
{
    TempDir dir;
    WriteBytes(dir.file("in.cfg"), "[[[dicom]]]\n[[tcpip]]\n[server]\nport=11112\n");
    WriteBytes(dir.file("out.cfg"), "old");
    const ToolRun run = Tool({"normalize", dir.file("in.cfg"), dir.file("out.cfg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Old configuration:\t" + dir.file("out.bak")), std::string::npos);
    EXPECT_NE(ReadBytes(dir.file("out.cfg")).find("\r\nPort = 11112\r\n"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.file("out.bak")), "old");
}

TEST(CfgTool, CheckPrintsFaultLinesAndExitsOneWhenThereAreAny)
{
    TempDir dir;
    CConfiguration fresh;
    std::string message;
    ASSERT_TRUE(fresh.SaveToFile(dir.file("fresh.cfg"), message));
    ToolRun run = Tool({"check", dir.file("fresh.cfg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "No printer configured.\nNo paper size configured.\n"
                       "No valid paper size defined for [STANDARD] layout.\n"
                       "3 faults, 0 warnings\n");

    WriteBytes(dir.file("good.cfg"), "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-1]\nPrinterAETitle = P\n"
                                     "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n[A4]\nSizeX = 595\n"
                                     "[[[LAYOUTS]]]\n[[STANDARD]]\n[Defaults]\nPageSize = A4\n");
    run = Tool({"check", dir.file("good.cfg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0 faults, 0 warnings\n");
}

TEST(CfgTool, FileAndUsageErrorsExitTwoWithOneLineOnStandardError)
{
    TempDir dir;
    ToolRun run = Tool({"check", dir.file("missing.cfg")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarvel-cfg: File could not be opened: " + dir.file("missing.cfg") + " was not found.\n");

    run = Tool({"defaults", dir.file("no/such/dir/x.cfg")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("was not found."), std::string::npos);

    const std::pair<std::vector<std::string>, std::string> usageErrors[] = {
        {{"frobnicate"}, "quarvel-cfg: unknown command 'frobnicate'; see 'quarvel-cfg --help'\n"},
        {{"--frob"}, "quarvel-cfg: unknown option '--frob'; see 'quarvel-cfg --help'\n"},
        {{"check"}, "quarvel-cfg: check: missing IN; see 'quarvel-cfg check --help'\n"},
        {{"normalize", "a"}, "quarvel-cfg: normalize: missing IN OUT; see 'quarvel-cfg normalize --help'\n"},
        {{"diff", "a", "b"}, "quarvel-cfg: diff: unexpected argument 'b'; see 'quarvel-cfg diff --help'\n"},
        {{"normalize", "--json", "a", "b"},
         "quarvel-cfg: normalize: unknown option '--json'; see 'quarvel-cfg normalize --help'\n"},
        {{"check", "-x", "a"}, "quarvel-cfg: check: unknown option '-x'; see 'quarvel-cfg check --help'\n"},
    };
    for (const auto& [args, message] : usageErrors) {
        run = Tool(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
    // No command at all: the usage, on standard error.
    run = Tool({});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("Usage: quarvel-cfg COMMAND", 0), 0u);
}

TEST(CfgTool, VersionAndHelpForTheToolAndEachCommand)
{
    ToolRun run = Tool({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "quarvel-cfg 1.3\n");

    for (const char* help : {"--help", "-h", "help"}) {
        run = Tool({help});
        EXPECT_EQ(run.status, 0) << help;
        EXPECT_EQ(run.out.rfind("Usage: quarvel-cfg COMMAND", 0), 0u) << help;
        for (const char* command : {"defaults OUT", "normalize IN OUT", "check [--json] IN", "diff IN", "ping ADDRESS",
                                    "testpage ADDRESS QUEUE"})
            EXPECT_NE(run.out.find(std::string("  ") + command), std::string::npos) << command;
    }
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"check", "--help"}, {"check", "x.cfg", "-h"}, {"help", "check"}}) {
        run = Tool(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("Usage: quarvel-cfg check [--json] IN\n\n", 0), 0u);
        EXPECT_NE(run.out.find("--json"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    run = Tool({"diff", "--help"});
    EXPECT_NE(run.out.find("Exit status: 0 a save changes nothing, 1 it would"), std::string::npos);
}

namespace {

class ScriptedPing : public PrinterTestEnvironment {
  public:
    bool reachable = true;
    std::string directory = "/nonexistent-quarvel-dir";
    bool Ping(const std::string&, int, int& ms) override
    {
        ms = 2;
        return reachable;
    }
    std::string CurrentDirectory() override { return directory; }
};

ToolRun ToolWith(PrinterTestEnvironment& env, std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int status = RunCfgTool(args, out, err, env);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(CfgTool, PingPrintsTheReportAndExitsByItsOutcome)
{
    ScriptedPing env;
    ToolRun run = ToolWith(env, {"ping", "10.1.2.3"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SUCCESS!\n\n'10.1.2.3' successfully pinged.\nResponse time was 2ms.\n");
    env.reachable = false;
    run = ToolWith(env, {"ping", "10.1.2.3"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "FAILED!\n\nPing to '10.1.2.3' failed.\n");
    EXPECT_EQ(ToolWith(env, {"ping"}).status, 2);
}

TEST(CfgTool, TestPagePrintsEachMessageAndFailsWithoutThePage)
{
    ScriptedPing env;
    const ToolRun run = ToolWith(env, {"testpage", "10.1.2.3", "q"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Printing failed.\n\nTest page file '/nonexistent-quarvel-dir/testpage.ps' not found.\n");
    EXPECT_EQ(ToolWith(env, {"testpage", "10.1.2.3"}).status, 2);
}

namespace {

// Runs the real quarvel-cfg in folder; its exit status and standard output.
ToolRun RunBinary(const std::string& folder, const std::string& arguments)
{
    const std::string command = "cd '" + folder + "' && '" QUARVEL_CFG_BINARY "' " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output, ""};
}

} // namespace

TEST(CfgTool, TestPageReachesAnLpdServerOnPort515OrFailsWithTheStatus)
{
    auto printer = std::make_unique<FakeLpdServer>(FakeLpdServer::Behaviour::Accept, "127.0.0.1", 515);
    if (!printer->Listening())
        GTEST_SKIP() << "cannot listen on 127.0.0.1:515 here: " << std::strerror(printer->ListenError());
    bool header = false;
    const int probe = IcmpTransport::System().Open(header);
    if (probe < 0)
        GTEST_SKIP() << "no ICMP socket may be opened by this user here (the test page pings first)";
    ::close(probe);

    TempDir cwd;
    WriteBytes(cwd.file("testpage.ps"), ReadBytes(QUARVEL_TESTPAGE));
    ToolRun run = RunBinary(cwd.path(), "testpage 127.0.0.1 QUEUE");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Printing succeed.\n\nCheck output at the printer.\n");
    const FakeLpdServer::Received& got = printer->Wait();
    EXPECT_EQ(got.queue, "QUEUE");
    EXPECT_EQ(got.dataFile, ReadBytes(QUARVEL_TESTPAGE));
    EXPECT_NE(got.controlFile.find("\nNtestpage.ps\n"), std::string::npos);

    printer.reset(); // nothing listens any more
    run = RunBinary(cwd.path(), "testpage 127.0.0.1 QUEUE");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Printing failed.\n\n Sending the test page to '127.0.0.1:QUEUE' using 'LPR' returned "
                       "[1].\nCheck log file 'testprint.log'.\n");
    const std::string log = ReadBytes(cwd.file("testprint.log"));
    EXPECT_NE(log.find(" 127.0.0.1:QUEUE [0] sent "), std::string::npos) << log;
    EXPECT_NE(log.find(" 127.0.0.1:QUEUE [1] connection refused on port 515\n"), std::string::npos) << log;
}

namespace {

class ScriptedServer : public ServerControl {
  public:
    int ended = 0;
    bool started = true;
    std::vector<std::string> calls;
    int TerminateProcessesByName(const std::string& name, bool all) override
    {
        calls.push_back("terminate " + name + (all ? " all" : " first"));
        return ended;
    }
    bool StartScript(const std::string& name, const std::string& directory) override
    {
        calls.push_back("start " + name + " in " + directory);
        return started;
    }
};

} // namespace

TEST(CfgTool, RestartSaysWhatItEndedAndStartedAndExitsByTheStart)
{
    const std::string here = std::filesystem::current_path().string();
    ScriptedServer server;
    server.ended = 2;
    std::ostringstream out;
    EXPECT_EQ(RestartCommand(server, out), 0);
    EXPECT_EQ(out.str(), "Ended 2 server processes (tcpsrv.exe).\nStarted ZELNOR.bat in " + here + ".\n");
    EXPECT_EQ(server.calls, (std::vector<std::string>{"terminate tcpsrv.exe all", "start ZELNOR.bat in ."}));

    server.ended = 1;
    server.started = false;
    out.str("");
    EXPECT_EQ(RestartCommand(server, out), 1);
    EXPECT_EQ(out.str(), "Ended 1 server process (tcpsrv.exe).\nCould not start ZELNOR.bat in " + here + ".\n");

    EXPECT_EQ(Tool({"restart", "now"}).status, 2);
    EXPECT_NE(Tool({"--help"}).out.find("  restart "), std::string::npos);
}
