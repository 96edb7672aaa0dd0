// The DICOM checks against servers that do what no print server should: each
// check holds its time-outs (every step ends within the time-out from its
// start, however the server keeps it busy, and a silent server costs one
// time-out) and refuses a response that declares more than it could hold,
// before reserving it.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "HostileServer.h"
#include "TestSupport.h"
#include "cli/CfgTool.h"
#include "config/Configuration.h"
#include "config/SampleConfig.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTimeout = 2;
// What a run may take beyond its steps' time-outs (the sanitizers included).
constexpr double kMargin = 1.0;

struct ToolRun {
    int status = -1;
    std::string out;
    double seconds = 0;
    long long grown = 0; // address space the run added to the process's peak
};

// The most address space the process has had, in bytes.
long long peakAddressSpace()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmPeak:", 0) == 0)
            return std::stoll(line.substr(7)) * 1024;
    return 0;
}

// Runs quarvel-cfg's command in a child of its own, whose peak address space
// starts from what the process has now, so that what the run reserves shows;
// a run that does not end within a minute is killed (status -1).
ToolRun runTool(const std::vector<std::string>& args)
{
    const std::string result = runInChild(
        [&args] {
            std::ostringstream out, err;
            const long long peak = peakAddressSpace();
            const auto start = Clock::now();
            const int status = runCfgTool(args, out, err);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            return std::to_string(status) + " " + std::to_string(seconds) + " " +
                   std::to_string(peakAddressSpace() - peak) + "\n" + out.str() + err.str();
        },
        60);
    ToolRun run;
    std::istringstream fields(result);
    if (!(fields >> run.status >> run.seconds >> run.grown)) {
        run.status = -1;
        run.out = result;
        return run;
    }
    fields.get();
    run.out.assign(std::istreambuf_iterator<char>(fields), {});
    return run;
}

// A configuration in folder with the one printer COLOR, also the server's
// AE title, on port.
std::string writeConfiguration(const TempDir& folder, int port)
{
    Configuration config;
    fillSample(config);
    config.Port = port;
    config.Printers.removeAtPositions({0});
    config.ServerAETitle = "COLOR";
    const std::string path = folder.file("server.cfg");
    std::string message;
    EXPECT_TRUE(config.saveToFile(path, message)) << message;
    return path;
}

} // namespace

TEST(HostileServer, EachCheckEndsWithinItsStepsTimeOutsAndRefusesWhatAResponseCannotHold)
{
    using Kind = HostileServer::Kind;
    struct Row {
        const char* name;
        Kind kind;
        const char* command; // echo or filmtest
        const char* line;    // in what the command prints, after "COLOR at 127.0.0.1:PORT: " for echo
        int steps;           // steps that run out their time-out
    };
    const std::string noAnswer = "timed out: no answer within " + std::to_string(kTimeout) + " s";
    const std::string huge = "failed: the server's response declares an element (2110,0010) of 4294967280 bytes, "
                             "more than the 64 MiB a response may hold";
    const std::string hugeCommand =
        "failed: the server's response declares an element (0000,0902) of 4294967280 bytes, "
        "more than the 64 MiB a response may hold";
    const std::string reports = "N-GET printer: failed: the server sent more than 16 event reports without answering";
    const std::string getNoAnswer = "N-GET printer: " + noAnswer;
    const Row rows[] = {
        {"silent after the connection: echo", Kind::SilentAfterConnection, "echo", noAnswer.c_str(), 1},
        {"silent after the connection: film", Kind::SilentAfterConnection, "filmtest", noAnswer.c_str(), 1},
        {"silent after the association: echo", Kind::SilentAfterAssociation, "echo", noAnswer.c_str(), 1},
        {"silent after the association: film", Kind::SilentAfterAssociation, "filmtest", getNoAnswer.c_str(), 1},
        {"an event report every 0.5 s: film", Kind::EventReportEveryHalfSecond, "filmtest", getNoAnswer.c_str(), 1},
        {"event reports back to back: film", Kind::EventReportBurst, "filmtest", reports.c_str(), 0},
        {"command fragments without the last: echo", Kind::EndlessCommandFragments, "echo", noAnswer.c_str(), 1},
        {"command fragments without the last: film", Kind::EndlessCommandFragments, "filmtest", getNoAnswer.c_str(), 1},
        {"element of 0xFFFFFFF0 bytes in a command: echo", Kind::HugeElementInCommand, "echo", hugeCommand.c_str(), 0},
        {"element of 0xFFFFFFF0 bytes in a data set: film", Kind::HugeElementInDataSet, "filmtest", huge.c_str(), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HostileServer server(row.kind);
        TempDir folder;
        const std::string config = writeConfiguration(folder, server.port());
        const bool echo = std::string(row.command) == "echo";
        std::vector<std::string> args = {row.command, "--timeout", std::to_string(kTimeout), config};
        if (!echo)
            args.push_back("COLOR");
        const ToolRun run = runTool(args);
        std::printf("%-50s %6.2f s\n", row.name, run.seconds);

        EXPECT_EQ(run.status, 1) << run.out;
        const std::string where = "COLOR at 127.0.0.1:" + std::to_string(server.port()) + ": ";
        if (echo)
            EXPECT_EQ(run.out, where + row.line + "\n");
        else
            EXPECT_NE(run.out.find(std::string(row.line) + "\n"), std::string::npos) << run.out;
        if (!echo && row.kind != Kind::SilentAfterConnection) {
            EXPECT_NE(run.out.find(where + "test film not printed\n"), std::string::npos) << run.out;
        }
        // Within its steps' time-outs, and a timed-out step no sooner than its time-out.
        EXPECT_LT(run.seconds, row.steps * kTimeout + kMargin);
        EXPECT_GE(run.seconds, row.steps * kTimeout - 0.05);
        // Nothing reserved for what the server only declared.
        EXPECT_LT(run.grown, 1LL << 30) << run.grown / (1 << 20) << " MiB more address space";
        EXPECT_EQ(server.connections(), 1);
    }
}

// DCMTK 3.6.7 reaches no IPv6 server: its address is refused before any
// connection is tried, for both checks; a server on ::1, where the machine
// has one, sees no connection.
TEST(HostileServer, IPv6HostsAreRefusedBeforeAnyConnection)
{
    const int listener = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    socklen_t length = sizeof address;
    const bool listening =
        listener >= 0 && ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(listener, 8) == 0 && ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    const int listenError = listening ? 0 : errno;
    const int port = listening ? ntohs(address.sin6_port) : 11120;
    TempDir folder;
    const std::string config = writeConfiguration(folder, port);
    const std::string refused =
        "no connection: IPv6 is not supported by the DICOM checks: use the server's IPv4 address\n";
    for (const std::string host : {"::1", "[::1]", "fe80::1%lo"}) {
        SCOPED_TRACE(host);
        const std::string shown = host.front() == '[' ? host : "[" + host + "]";
        const std::string where = "COLOR at " + shown + ":" + std::to_string(port) + ": ";
        const ToolRun echo = runTool({"echo", "--timeout", "2", config, host});
        EXPECT_EQ(echo.status, 1);
        EXPECT_EQ(echo.out, where + refused);
        const ToolRun film = runTool({"filmtest", "--timeout", "2", config, "COLOR", host});
        EXPECT_EQ(film.status, 1);
        EXPECT_EQ(film.out, where + "test film not printed: " + refused);
    }
    if (!listening) {
        if (listener >= 0)
            ::close(listener);
        GTEST_SKIP() << "no IPv6 loopback here (" << std::strerror(listenError)
                     << "): the refusal is checked, not that no connection reached a server on ::1";
    }
    pollfd entry{listener, POLLIN, 0};
    EXPECT_EQ(::poll(&entry, 1, 0), 0) << "a connection reached the server on ::1";
    ::close(listener);
}
