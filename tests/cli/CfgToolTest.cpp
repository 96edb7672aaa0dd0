#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FakeLpdServer.h"
#include "TestSupport.h"
#include "cli/CfgTool.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "diagnostics/IcmpPing.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "platform/ServerControl.h"

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun tool(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int status = runCfgTool(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(CfgTool, DefaultsWritesAFreshConfiguration)
{
    TempDir dir;
    const ToolRun run = tool({"defaults", dir.file("config.cfg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Configuration saved to file '" + dir.file("config.cfg") + "'.\n");
    Configuration fresh;
    EXPECT_EQ(readBytes(dir.file("config.cfg")), formatConfiguration(fresh));
}

TEST(CfgTool, NormalizeRewritesInTheExactFormatKeepingABackup)
{
    TempDir dir;
    writeBytes(dir.file("in.cfg"), "[[[dicom]]]\n[[tcpip]]\n[server]\nport=11112\n");
    writeBytes(dir.file("out.cfg"), "[[SETTINGS]]\nold");
    const ToolRun run = tool({"normalize", dir.file("in.cfg"), dir.file("out.cfg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Old configuration:\t" + dir.file("out.bak")), std::string::npos);
    EXPECT_NE(readBytes(dir.file("out.cfg")).find("\r\nPort = 11112\r\n"), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("out.bak")), "[[SETTINGS]]\nold");
}

TEST(CfgTool, CheckPrintsFaultLinesAndExitsOneWhenThereAreAny)
{
    TempDir dir;
    Configuration fresh;
    std::string message;
    ASSERT_TRUE(fresh.saveToFile(dir.file("fresh.cfg"), message));
    ToolRun run = tool({"check", dir.file("fresh.cfg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "No printer configured.\nNo paper size configured.\n"
                       "No valid paper size defined for [STANDARD] layout.\n"
                       "3 faults, 0 warnings\n");

    writeBytes(dir.file("good.cfg"), "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-1]\nPrinterAETitle = P\n"
                                     "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n[A4]\nSizeX = 595\n"
                                     "[[[LAYOUTS]]]\n[[STANDARD]]\n[Defaults]\nPageSize = A4\n");
    run = tool({"check", dir.file("good.cfg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0 faults, 0 warnings\n");
}

TEST(CfgTool, FileAndUsageErrorsExitTwoWithOneLineOnStandardError)
{
    TempDir dir;
    ToolRun run = tool({"check", dir.file("missing.cfg")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarvel-cfg: File could not be opened: " + dir.file("missing.cfg") + " was not found.\n");

    run = tool({"defaults", dir.file("no/such/dir/x.cfg")});
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
        run = tool(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
    // No command at all: the usage, on standard error.
    run = tool({});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("Usage: quarvel-cfg COMMAND", 0), 0u);
}

TEST(CfgTool, VersionAndHelpForTheToolAndEachCommand)
{
    ToolRun run = tool({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "quarvel-cfg 1.3\n");

    for (const char* help : {"--help", "-h", "help"}) {
        run = tool({help});
        EXPECT_EQ(run.status, 0) << help;
        EXPECT_EQ(run.out.rfind("Usage: quarvel-cfg COMMAND", 0), 0u) << help;
        for (const char* command : {"defaults OUT", "normalize IN OUT", "check [--json] IN",
                                    "diff [--ignore-line-endings] IN", "ping ADDRESS", "testpage ADDRESS QUEUE"})
            EXPECT_NE(run.out.find(std::string("  ") + command), std::string::npos) << command;
    }
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"check", "--help"}, {"check", "x.cfg", "-h"}, {"help", "check"}}) {
        run = tool(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("Usage: quarvel-cfg check [--json] IN\n\n", 0), 0u);
        EXPECT_NE(run.out.find("--json"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    run = tool({"diff", "--help"});
    EXPECT_NE(run.out.find("Exit status: 0 a save changes nothing, 1 it would"), std::string::npos);
}

namespace {

class ScriptedPing : public PrinterTestEnvironment {
  public:
    bool reachable = true;
    std::string directory = "/nonexistent-quarvel-dir";
    bool ping(const std::string&, int, int& ms) override
    {
        ms = 2;
        return reachable;
    }
    std::string currentDirectory() override { return directory; }
};

ToolRun toolWith(PrinterTestEnvironment& env, std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int status = runCfgTool(args, out, err, env);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(CfgTool, PingPrintsTheReportAndExitsByItsOutcome)
{
    ScriptedPing env;
    ToolRun run = toolWith(env, {"ping", "10.1.2.3"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SUCCESS!\n\n'10.1.2.3' successfully pinged.\nResponse time was 2ms.\n");
    env.reachable = false;
    run = toolWith(env, {"ping", "10.1.2.3"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "FAILED!\n\nPing to '10.1.2.3' failed.\n");
    EXPECT_EQ(toolWith(env, {"ping"}).status, 2);
}

TEST(CfgTool, TestPagePrintsEachMessageAndFailsWithoutThePage)
{
    ScriptedPing env;
    const ToolRun run = toolWith(env, {"testpage", "10.1.2.3", "q"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Printing failed.\n\nTest page file '/nonexistent-quarvel-dir/testpage.ps' not found.\n");
    EXPECT_EQ(toolWith(env, {"testpage", "10.1.2.3"}).status, 2);
}

namespace {

// Runs the real quarvel-cfg in folder; its exit status and standard output.
ToolRun runBinary(const std::string& folder, const std::string& arguments)
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
    if (!printer->listening())
        GTEST_SKIP() << "cannot listen on 127.0.0.1:515 here: " << std::strerror(printer->listenError());
    bool header = false;
    const int probe = IcmpTransport::system().open(header);
    if (probe < 0)
        GTEST_SKIP() << "no ICMP socket may be opened by this user here (the test page pings first)";
    ::close(probe);

    TempDir cwd;
    writeBytes(cwd.file("testpage.ps"), readBytes(QUARVEL_TESTPAGE));
    ToolRun run = runBinary(cwd.path(), "testpage 127.0.0.1 QUEUE");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Printing succeed.\n\nCheck output at the printer.\n");
    const FakeLpdServer::Received& got = printer->wait();
    EXPECT_EQ(got.queue, "QUEUE");
    EXPECT_EQ(got.dataFile, readBytes(QUARVEL_TESTPAGE));
    EXPECT_NE(got.controlFile.find("\nNtestpage.ps\n"), std::string::npos);

    printer.reset(); // nothing listens any more
    run = runBinary(cwd.path(), "testpage 127.0.0.1 QUEUE");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Printing failed.\n\n Sending the test page to '127.0.0.1:QUEUE' using 'LPR' returned "
                       "[1].\nCheck log file 'testprint.log'.\n");
    const std::string log = readBytes(cwd.file("testprint.log"));
    EXPECT_NE(log.find(" 127.0.0.1:QUEUE [0] sent "), std::string::npos) << log;
    EXPECT_NE(log.find(" 127.0.0.1:QUEUE [1] connection refused on port 515\n"), std::string::npos) << log;
}

namespace {

class ScriptedServer : public ServerControl {
  public:
    int ended = 0;
    bool started = true;
    std::vector<std::string> calls;
    int terminateProcessesByName(const std::string& name, bool all) override
    {
        calls.push_back("terminate " + name + (all ? " all" : " first"));
        return ended;
    }
    bool startScript(const std::string& name, const std::string& directory) override
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
    EXPECT_EQ(restartCommand(server, out), 0);
    EXPECT_EQ(out.str(), "Ended 2 server processes (tcpsrv.exe).\nStarted ZELNOR.bat in " + here + ".\n");
    EXPECT_EQ(server.calls, (std::vector<std::string>{"terminate tcpsrv.exe all", "start ZELNOR.bat in ."}));

    server.ended = 1;
    server.started = false;
    out.str("");
    EXPECT_EQ(restartCommand(server, out), 1);
    EXPECT_EQ(out.str(), "Ended 1 server process (tcpsrv.exe).\nCould not start ZELNOR.bat in " + here + ".\n");

    EXPECT_EQ(tool({"restart", "now"}).status, 2);
    EXPECT_NE(tool({"--help"}).out.find("  restart "), std::string::npos);
}

// Reading never waits on a pipe nor follows a growing file; a report that
// cannot be written, a save that may not last and an interrupted save are
// told.
TEST(CfgTool, HostileFilesAndFailingOutputAreToldNotTrusted)
{
    TempDir dir;
    const std::string tool = std::string("timeout 10 ") + QUARVEL_CFG_BINARY;
    const std::string config = dir.file("config.cfg");
    writeBytes(config, "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n");
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const std::string growing = dir.file("growing.cfg");
    writeBytes(growing, "[[[DICOM]]]\r\n");
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::execl("/bin/sh", "sh", "-c", ("while :; do echo '; appended'; done >>" + growing).c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // A marker left by a save that was killed while it wrote the file.
    const std::string state = dir.file("state");
    struct stat st;
    ::stat(config.c_str(), &st);
    const std::string stem = state + "/quarvel/recovery/" + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino);
    std::filesystem::create_directories(state + "/quarvel/recovery");
    writeBytes(stem + ".saving", config + "\n");
    writeBytes(stem + ".old", "old bytes");

    const struct {
        std::string command;
        int status;
        std::string errStart;
    } rows[] = {
        {"diff " + dir.file("fifo"), 2,
         "quarvel-cfg: File could not be opened: " + dir.file("fifo") + " is not a regular"},
        {"diff /dev/zero", 2, "quarvel-cfg: File could not be opened: /dev/zero is not a regular file."},
        {"check " + growing, -1, ""}, // any status but the time-out's
        {"diff " + growing, -1, ""},
        {"normalize " + config + " " + dir.file("out.cfg") + " >/dev/full", 2,
         "quarvel-cfg: cannot write to standard output"},
        {"check " + config, 1,
         "quarvel-cfg: warning: A save of " + config +
             " was interrupted while it wrote the file; "
             "it may be incomplete. The old content is in " +
             stem + ".old."},
    };
    for (const auto& row : rows) {
        const std::string out = row.command.find('>') == std::string::npos ? " >" + dir.file("out") : "";
        const int status = runCommandStatus("XDG_STATE_HOME=" + state + " " + tool + " " + row.command + out + " 2>" +
                                            dir.file("err"));
        if (row.status < 0)
            EXPECT_NE(status, 124) << row.command;
        else
            EXPECT_EQ(status, row.status) << row.command;
        EXPECT_NE(readBytes(dir.file("err")).find(row.errStart), std::string::npos) << row.command;
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
}
