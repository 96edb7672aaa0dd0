// The DICOM checks against real peers: the print SCP of DCMTK's programs for
// the film and the echo, and small servers made here (with DCMTK's acceptor
// side, or a bare socket) that reject, abort or keep silent.
#include <climits>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <regex>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "LoopbackPorts.h"
#include "TestSupport.h"
#include "cli/CfgTool.h"
#include "config/Configuration.h"
#include "config/SampleConfig.h"
#include "dicom/TestPattern.h"
#include "dicom/Verification.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/dul.h"

namespace {

using Clock = std::chrono::steady_clock;

// A peer made here that answers each association request through DCMTK's
// acceptor side, by a reject or an abort; it serves until the object goes.
class StandInServer {
  public:
    explicit StandInServer(bool reject) : m_listener(true), m_reject(reject)
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~StandInServer()
    {
        ::shutdown(m_listener.socket(), SHUT_RDWR);
        m_thread.join();
    }
    int port() const { return m_listener.port(); }

  private:
    void serve()
    {
        for (int fd; (fd = ::accept(m_listener.socket(), nullptr, nullptr)) >= 0;) {
            // DCMTK's acceptor takes over the connection accepted here.
            T_ASC_Network* network = nullptr;
            dcmExternalSocketHandle.set(fd);
            ASC_initializeNetwork(NET_ACCEPTOR, 0, 30, &network);
            T_ASC_Association* association = nullptr;
            if (ASC_receiveAssociation(network, &association, ASC_DEFAULTMAXPDU).good()) {
                T_ASC_RejectParameters reject{ASC_RESULT_REJECTEDPERMANENT, ASC_SOURCE_SERVICEUSER,
                                              ASC_REASON_SU_CALLEDAETITLENOTRECOGNIZED};
                if (m_reject)
                    ASC_rejectAssociation(association, &reject);
                else
                    ASC_abortAssociation(association);
                ASC_dropAssociation(association);
            }
            dcmExternalSocketHandle.set(-1);
            if (association)
                ASC_destroyAssociation(&association);
            ASC_dropNetwork(&network);
        }
    }

    LoopbackPort m_listener;
    bool m_reject;
    std::thread m_thread;
};

struct ToolRun {
    int status = -1;
    std::string out, err;
    double seconds = 0;
};

ToolRun runTool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    ToolRun run;
    const auto start = Clock::now();
    run.status = runCfgTool(args, out, err);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.out = out.str();
    run.err = err.str();
    return run;
}

// A configuration file in folder whose server listens on port: AE titles
// RADSRV, then printers LASER3 and COLOR; or, single, COLOR alone.
std::string writeConfiguration(const TempDir& folder, int port, bool single = false)
{
    Configuration config;
    fillSample(config);
    config.Port = port;
    if (single) {
        config.Printers.removeAtPositions({0});
        config.ServerAETitle = "COLOR";
    }
    const std::string path = folder.file("server.cfg");
    std::string message;
    EXPECT_TRUE(config.saveToFile(path, message)) << message;
    return path;
}

// DCMTK's print SCP on port, its folders in folder: the shipped
// configuration with its first local printer put on our port and title, and
// every folder it writes moved into ours. Ended by its id.
class PrintScp {
  public:
    PrintScp(const TempDir& folder, int port)
    {
        const std::string shipped = readBytes("/etc/dcmtk/dcmpstat.cfg");
        // The first local printer section: its name and its text.
        std::smatch found;
        if (::access("/usr/bin/dcmprscp", X_OK) != 0 ||
            !std::regex_search(shipped, found, std::regex(R"(\n\[(\w+)\]\n([^\[]*\n)?Type\s*=\s*LOCALPRINTER[^\[]*)")))
            return;
        const std::string printer = found[1];
        m_database = folder.file("database");
        std::filesystem::create_directory(m_database);
        std::filesystem::create_directory(folder.file("spool"));
        std::string text =
            found.prefix().str() +
            std::regex_replace(found.str(), std::regex(R"(\nPort\s*=[^\n]*)"), "\nPort = " + std::to_string(port)) +
            found.suffix().str();
        // Its database, spool and log folders: ours.
        text = std::regex_replace(text, std::regex(R"(\n(\s*Directory\s*=\s*)(database|spool)\b)"),
                                  "\n$1" + folder.path() + "/$2");
        text =
            std::regex_replace(text, std::regex(R"(\n\s*LogDirectory\s*=[^\n]*)"), "\nLogDirectory = " + folder.path());
        const std::string path = folder.file("dcmpstat.cfg");
        writeBytes(path, text);

        m_pid = ::fork();
        if (m_pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl("/usr/bin/dcmprscp", "dcmprscp", "-c", path.c_str(), "-p", printer.c_str(), nullptr);
            ::_exit(127);
        }
        // Ready when it takes connections (it exits at once on a bad file).
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        for (int i = 0; i < 500 && !m_ready && ::waitpid(m_pid, nullptr, WNOHANG) == 0; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            m_ready = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            ::close(fd);
            if (!m_ready)
                ::usleep(10000);
        }
    }
    ~PrintScp()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    bool ready() const { return m_ready; }

    // The files of the database folder whose names start with prefix.
    std::vector<std::string> stored(const std::string& prefix) const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(m_database))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                files.push_back(entry.path().string());
        return files;
    }

  private:
    pid_t m_pid = -1;
    bool m_ready = false;
    std::string m_database;
};

} // namespace

TEST(Dicom, PrintScpAnswersEveryTitleAndStoresTheTestFilmWithItsPixels)
{
    TempDir folder;
    const int port = LoopbackPort(false).port();
    PrintScp scp(folder, port);
    if (!scp.ready())
        GTEST_SKIP() << "DCMTK's print SCP (package dcmtk) cannot be started here";
    const std::string config = writeConfiguration(folder, port);
    const std::string at = " at 127.0.0.1:" + std::to_string(port) + ": answered in ";

    const ToolRun echo = runTool({"echo", config});
    EXPECT_EQ(echo.status, 0) << echo.out << echo.err;
    EXPECT_TRUE(std::regex_match(
        echo.out, std::regex("RADSRV" + at + "\\d+ ms\nLASER3" + at + "\\d+ ms\nCOLOR" + at + "\\d+ ms\n")))
        << echo.out;
    // The print SCP keeps Nagle's wait: unless its PDU headers are
    // acknowledged at once, each answer waits for the delayed-ACK timer
    // (40 ms at the least). The fastest of the three shows which it was.
    int fastest = INT_MAX;
    const std::regex answered("answered in (\\d+) ms");
    for (auto match = std::sregex_iterator(echo.out.begin(), echo.out.end(), answered); match != std::sregex_iterator();
         ++match)
        fastest = std::min(fastest, std::stoi((*match)[1]));
    EXPECT_LT(fastest, 40) << echo.out;

    const ToolRun film = runTool({"filmtest", config, "LASER3", "127.0.0.1"});
    EXPECT_EQ(film.status, 0) << film.out << film.err;
    EXPECT_NE(film.out.find("N-GET printer: success; printer status NORMAL"), std::string::npos) << film.out;
    EXPECT_NE(film.out.find("N-ACTION print film session: success\n"), std::string::npos) << film.out;
    EXPECT_NE(film.out.find("LASER3 at 127.0.0.1:" + std::to_string(port) + ": test film printed\n"), std::string::npos)
        << film.out;

    // One Stored Print and one Hardcopy Grayscale image, holding our pattern.
    EXPECT_EQ(scp.stored("SP_").size(), 1u);
    const std::vector<std::string> images = scp.stored("HG_");
    ASSERT_EQ(images.size(), 1u);
    DcmFileFormat file;
    ASSERT_TRUE(file.loadFile(images[0].c_str()).good());
    DcmDataset* image = file.getDataset();
    Uint16 rows = 0, columns = 0;
    const Uint8* pixels = nullptr;
    unsigned long count = 0;
    image->findAndGetUint16(DCM_Rows, rows);
    image->findAndGetUint16(DCM_Columns, columns);
    ASSERT_TRUE(image->findAndGetUint8Array(DCM_PixelData, pixels, &count).good());
    const TestPattern pattern = makeTestPattern();
    EXPECT_EQ(rows, pattern.rows);
    EXPECT_EQ(columns, pattern.columns);
    ASSERT_EQ(count, pattern.pixels.size());
    EXPECT_TRUE(std::equal(pattern.pixels.begin(), pattern.pixels.end(), pixels));
}

// Each way a server can fail a modality, for both commands: exit 1, a line
// that says what happened, and no longer than the time-out and 2 s.
TEST(Dicom, RejectAbortNoConnectionAndSilenceEachGiveTheirOutcomeWithinTheTimeout)
{
    struct Row {
        const char* name;
        int kind;            // 0 nothing listens, 1 reject, 2 abort, 3 silence
        const char* outcome; // after "COLOR at HOST:PORT: " / "test film not printed: "
    };
    const Row rows[] = {
        {"reject", 1, "rejected: called AE title not recognised"},
        {"abort", 2, "aborted: the server aborted the association"},
        {"no connection", 0, "no connection: Connection refused"},
        {"silence", 3, "timed out: no answer within 2 s"},
    };
    constexpr double kTimeout = 2;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<StandInServer> server;
        std::optional<LoopbackPort> port_;
        if (row.kind == 1 || row.kind == 2)
            server.emplace(row.kind == 1);
        else
            port_.emplace(row.kind == 3); // silence: connections nobody accepts
        const int port = server ? server->port() : port_->port();
        TempDir folder;
        const std::string config = writeConfiguration(folder, port, true);
        const std::string at = " at 127.0.0.1:" + std::to_string(port) + ": ";

        const ToolRun echo = runTool({"echo", "--timeout", "2", config});
        EXPECT_EQ(echo.status, 1) << echo.err;
        EXPECT_EQ(echo.out, "COLOR" + at + row.outcome + "\n");
        EXPECT_LT(echo.seconds, kTimeout + 2);

        const ToolRun film = runTool({"filmtest", "--timeout", "2", config, "COLOR"});
        EXPECT_EQ(film.status, 1) << film.err;
        EXPECT_EQ(film.out, "COLOR" + at + "test film not printed: " + row.outcome + "\n");
        EXPECT_LT(film.seconds, kTimeout + 2);
    }
}

// A connection that never comes about: the listener's queue holds one
// connection nobody accepts, so the system drops every further request.
TEST(Dicom, AConnectionThatDoesNotComeAboutTimesOutAsSuch)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int queued = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::connect(queued, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    TempDir folder;
    const std::string config = writeConfiguration(folder, ntohs(address.sin_port), true);
    const std::string at = " at 127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + ": ";

    const ToolRun echo = runTool({"echo", "--timeout", "1", config});
    EXPECT_EQ(echo.out, "COLOR" + at + "timed out: no connection within 1 s\n");
    EXPECT_LT(echo.seconds, 3);
    const ToolRun film = runTool({"filmtest", "--timeout", "1", config, "COLOR"});
    EXPECT_EQ(film.out, "COLOR" + at + "test film not printed: timed out: no connection within 1 s\n");
    ::close(queued);
    ::close(listener);
}

TEST(Dicom, CancelStopsAWaitForTheServerAtOnce)
{
    const LoopbackPort server(true);
    DicomPeer peer;
    peer.port = server.port();
    peer.timeoutSeconds = 30;
    DicomCancel cancel;
    EchoResult result;
    std::thread echo([&] { result = echoAETitle(peer, "RADSRV", cancel); });
    pollfd connected{server.socket(), POLLIN, 0}; // the client waits for an answer
    ASSERT_EQ(::poll(&connected, 1, 10000), 1);
    const auto start = Clock::now();
    cancel.cancel();
    echo.join();
    EXPECT_EQ(result.outcome, DicomOutcome::Cancelled);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.0);
}

TEST(Dicom, FilmTestRefusesAPrinterTheConfigurationDoesNotHave)
{
    TempDir folder;
    const std::string config = writeConfiguration(folder, LoopbackPort(false).port());
    const ToolRun run = runTool({"filmtest", config, "NOSUCH"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarvel-cfg: filmtest: 'NOSUCH' is no printer of " + config + "\n");
    EXPECT_EQ(runTool({"echo", "--timeout", "0", config}).status, 2);
    EXPECT_EQ(runTool({"echo", config, "127.0.0.1", "extra"}).status, 2);
}

TEST(Dicom, TestPatternHasAWedgeOfSixteenStepsAndLinePatterns)
{
    const TestPattern p = makeTestPattern();
    ASSERT_GE(p.rows, 512);
    ASSERT_GE(p.columns, 512);
    std::vector<int> wedge;
    for (int column = 1; column < p.columns - 1; ++column)
        if (wedge.empty() || wedge.back() != p.at(p.rows / 4, column))
            wedge.push_back(p.at(p.rows / 4, column));
    ASSERT_EQ(wedge.size(), 16u);
    EXPECT_EQ(wedge.front(), 0);
    EXPECT_EQ(wedge.back(), 255);
    EXPECT_TRUE(std::is_sorted(wedge.begin(), wedge.end()));
    // Single-pixel lines: neighbours differ fully, upright and across.
    const int lower = p.rows / 2 + 8;
    EXPECT_EQ(std::abs(p.at(lower, 10) - p.at(lower, 11)), 255);
    const int across = p.rows - 40;
    EXPECT_EQ(std::abs(p.at(across, 10) - p.at(across + 1, 10)), 255);
}
