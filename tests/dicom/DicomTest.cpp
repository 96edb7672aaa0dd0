// The DICOM checks against real peers: the print SCP of DCMTK's programs for
// the film and the echo, and small servers made here (with DCMTK's acceptor
// side, or a bare socket) that reject, abort or keep silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <regex>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

// A socket listening on 127.0.0.1 on a port the system chose.
int listenOnLoopback(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    port = ntohs(address.sin_port);
    return fd;
}

// A loopback port nothing listens on (it was free a moment ago).
int freePort()
{
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

// A peer made here. Reject and Abort answer each association request with
// DCMTK's acceptor; Silent accepts connections and never says a word. It
// serves until the object goes.
class StandInServer {
  public:
    enum class Kind { Reject, Abort, Silent };

    explicit StandInServer(Kind kind) : m_kind(kind)
    {
        m_listener = listenOnLoopback(m_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~StandInServer()
    {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        for (int fd : m_held)
            ::close(fd);
        ::close(m_listener);
    }

    int port() const { return m_port; }

    // Waits until a connection has been accepted (the client is waiting).
    void waitForConnection()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_accepted.wait(lock, [this] { return !m_held.empty(); });
    }

  private:
    void serve()
    {
        while (!m_stop) {
            const int fd = ::accept(m_listener, nullptr, nullptr);
            if (fd < 0)
                return;
            if (m_kind == Kind::Silent) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_held.push_back(fd);
                m_accepted.notify_all();
                continue;
            }
            // DCMTK's acceptor takes over the connection accepted here.
            T_ASC_Network* network = nullptr;
            dcmExternalSocketHandle.set(fd);
            ASC_initializeNetwork(NET_ACCEPTOR, 0, 30, &network);
            T_ASC_Association* association = nullptr;
            const OFCondition received = ASC_receiveAssociation(network, &association, ASC_DEFAULTMAXPDU);
            dcmExternalSocketHandle.set(-1);
            if (received.good()) {
                if (m_kind == Kind::Reject) {
                    T_ASC_RejectParameters reject{ASC_RESULT_REJECTEDPERMANENT, ASC_SOURCE_SERVICEUSER,
                                                  ASC_REASON_SU_CALLEDAETITLENOTRECOGNIZED};
                    ASC_rejectAssociation(association, &reject);
                } else {
                    ASC_abortAssociation(association);
                }
                ASC_dropAssociation(association);
            }
            if (association)
                ASC_destroyAssociation(&association);
            ASC_dropNetwork(&network);
        }
    }

    Kind m_kind;
    int m_port = 0;
    int m_listener = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_accepted;
    std::vector<int> m_held;
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
        std::ifstream shipped("/etc/dcmtk/dcmpstat.cfg");
        if (!shipped || ::access("/usr/bin/dcmprscp", X_OK) != 0)
            return;
        m_database = folder.file("database");
        const std::string spool = folder.file("spool"), log = folder.file("log");
        for (const std::string& dir : {m_database, spool, log})
            ::mkdir(dir.c_str(), 0700);
        std::ostringstream config;
        std::string section, printer;
        for (std::string line; std::getline(shipped, line);) {
            std::smatch header;
            if (std::regex_match(line, header, std::regex(R"(\s*\[+([^\]]+)\]+\s*)")))
                section = header[1];
            const std::string key = line.substr(0, line.find('='));
            auto is = [&key](const char* name) {
                return std::regex_match(key, std::regex(std::string("\\s*") + name + "\\s*", std::regex::icase));
            };
            if (section == "DATABASE" && is("Directory"))
                line = "Directory = " + m_database;
            else if (section == "PRINT" && is("Directory"))
                line = "Directory = " + spool;
            else if (section == "APPLICATION" && is("LogDirectory"))
                line = "LogDirectory = " + log;
            else if (std::regex_match(line, std::regex(R"(\s*Type\s*=\s*LOCALPRINTER\s*)")) && printer.empty())
                printer = section;
            config << line << '\n';
        }
        // The printer's port is set once its section is known.
        std::string text = config.str();
        const std::size_t start = text.find("[" + printer + "]");
        if (printer.empty() || start == std::string::npos)
            return;
        const std::size_t end = text.find("\n[", start + 1);
        std::string body = text.substr(start, end - start);
        body = std::regex_replace(body, std::regex(R"(\n\s*Port\s*=[^\n]*)"), "\nPort = " + std::to_string(port));
        text.replace(start, end - start, body);
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
        for (int i = 0; i < 500 && !m_ready; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<std::uint16_t>(port));
            m_ready = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            ::close(fd);
            if (!m_ready && ::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                return;
            }
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
        if (DIR* dir = ::opendir(m_database.c_str())) {
            while (const dirent* entry = ::readdir(dir))
                if (std::string(entry->d_name).rfind(prefix, 0) == 0)
                    files.push_back(m_database + "/" + entry->d_name);
            ::closedir(dir);
        }
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
    const int port = freePort();
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
        std::optional<StandInServer::Kind> server; // none: nothing listens
        const char* outcome;                       // after "COLOR at HOST:PORT: " / "test film not printed: "
    };
    const Row rows[] = {
        {"reject", StandInServer::Kind::Reject, "rejected: called AE title not recognised"},
        {"abort", StandInServer::Kind::Abort, "aborted: the server aborted the association"},
        {"no connection", std::nullopt, "no connection: Connection refused"},
        {"silence", StandInServer::Kind::Silent, "timed out: no answer within 2 s"},
    };
    constexpr double kTimeout = 2;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<StandInServer> server;
        if (row.server)
            server.emplace(*row.server);
        const int port = server ? server->port() : freePort();
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

TEST(Dicom, CancelStopsAWaitForTheServerAtOnce)
{
    StandInServer server(StandInServer::Kind::Silent);
    DicomPeer peer;
    peer.port = server.port();
    peer.timeoutSeconds = 30;
    DicomCancel cancel;
    EchoResult result;
    std::thread echo([&] { result = echoAETitle(peer, "RADSRV", cancel); });
    server.waitForConnection();
    const auto start = Clock::now();
    cancel.cancel();
    echo.join();
    EXPECT_EQ(result.outcome, DicomOutcome::Cancelled);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.0);
}

TEST(Dicom, FilmTestRefusesAPrinterTheConfigurationDoesNotHave)
{
    TempDir folder;
    const std::string config = writeConfiguration(folder, freePort());
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
