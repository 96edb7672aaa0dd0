// Files that are not configuration files (pipes, devices, sockets), the
// reading in chunks, and running out of memory while loading or saving.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"

namespace {

std::string loadResult(const std::string& path)
{
    Configuration c;
    std::string message;
    return c.loadFromFile(path, message) ? "loaded" : message;
}

std::string notRegular(const std::string& path)
{
    return "File could not be opened: " + path + " is not a regular file.";
}

// The address sanitizer reserves terabytes of address space up front, so an
// address-space limit cannot be set under it (and its allocator aborts
// instead of throwing).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressLimitWorks = false;
#else
constexpr bool kAddressLimitWorks = true;
#endif

constexpr rlim_t kOneGiB = rlim_t(1) << 30;

void limitAddressSpace(rlim_t bytes)
{
    const rlimit limit{bytes, bytes};
    if (::setrlimit(RLIMIT_AS, &limit) != 0)
        std::perror("setrlimit");
}

// 50 MB of "=" lines in a printer section far beyond the list: each line
// appends one more printer, which outgrows any memory.
std::string writeEndlessPrinters(const TempDir& dir)
{
    const std::string path = dir.file("endless.cfg");
    std::ofstream out(path, std::ios::binary);
    out << "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 7\n[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-2147483647]\n";
    const std::string block(1 << 20, '=');
    std::string lines;
    for (std::size_t i = 0; i < block.size() / 2; ++i)
        lines += "=\n";
    for (int i = 0; i < 50; ++i)
        out << lines;
    return path;
}

} // namespace

TEST(SpecialFiles, OnlyRegularFilesAreReadAndDevNullIsEmpty)
{
    const Configuration fresh;
    Configuration c;
    std::string message = "untouched";
    EXPECT_TRUE(c.loadFromFile("/dev/null", message));
    EXPECT_EQ(message, "untouched");
    EXPECT_EQ(formatConfiguration(c), formatConfiguration(fresh));

    // Each in a child: without the check these would hang or grow until
    // memory runs out.
    for (const char* device : {"/dev/zero", "/dev/urandom"}) {
        if (fileExists(device)) {
            EXPECT_EQ(runInChild([&] { return loadResult(device); }, 20), notRegular(device));
        }
    }
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(runInChild([&] { return loadResult(fifo); }, 20), notRegular(fifo));

    const std::string socketPath = dir.file("socket");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(loadResult(socketPath), notRegular(socketPath));
    ::close(sock);

    // A link to a regular file is read like the file.
    writeBytes(dir.file("real.cfg"), "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 9\n");
    std::filesystem::create_symlink(dir.file("real.cfg"), dir.file("link.cfg"));
    ASSERT_TRUE(c.loadFromFile(dir.file("link.cfg"), message));
    EXPECT_EQ(c.Port, 9);
}

TEST(SpecialFiles, TheCompanionRefusesDevicesAndPipesPromptly)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string tool = QUARVEL_CFG_BINARY;
    for (const std::string& input : {std::string("/dev/zero"), fifo}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(runCommandStatus("timeout 20 " + tool + " check " + input + " 2>" + dir.file("err")), 2) << input;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << input;
        EXPECT_EQ(readBytes(dir.file("err")), "quarvel-cfg: " + notRegular(input) + "\n");
    }
    // Saving into a pipe is refused the same way.
    writeBytes(dir.file("in.cfg"), "");
    EXPECT_EQ(runCommandStatus("timeout 20 " + tool + " normalize " + dir.file("in.cfg") + " " + fifo + " 2>" +
                               dir.file("err")),
              2);
    EXPECT_EQ(readBytes(dir.file("err")), "quarvel-cfg: " + notRegular(fifo) + "\n");
}

TEST(Reader, ChunkBoundariesDoNotChangeWhatIsRead)
{
    // Line ends of every kind, a CR LF that any chunk size splits somewhere,
    // lines longer than a chunk, a last line without line end.
    const std::string text = "; comment\r\n[[[DICOM]]]\n\r\n[[TCPIP]]\r\n  [Server]\r\nPort = 4242\r\n"
                             "ServerAETitle =   TITLE \r\r\n[[PRINTER]]\n[Label]\nText = " +
                             std::string(100, 'y') +
                             "\t z\r\n[[[PRINTER]]]\r\n[[SETTINGS]]\r\n[Printer-2]\r\n"
                             "PrinterQueue = q\r\n\r\n[[[LAYOUTS]]]\n[[STANDARD]]\n[Defaults]\n"
                             "PageSize = A4\r";
    Configuration reference;
    ConfigReader(reference).readText(text);
    const std::string expected = formatConfiguration(reference);
    ASSERT_NE(expected.find("PageSize = A4\r\n"), std::string::npos);

    TempDir dir;
    writeBytes(dir.file("in.cfg"), text);
    for (std::size_t chunk : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(5), std::size_t(7),
                              std::size_t(13), std::size_t(64), std::size_t(101), ConfigReader::kChunkSize}) {
        Configuration c;
        std::string message;
        ASSERT_TRUE(ConfigReader(c).readFile(dir.file("in.cfg"), message, chunk)) << message;
        EXPECT_EQ(formatConfiguration(c), expected) << "chunk " << chunk;
    }
}

TEST(OutOfMemory, ALoadThatRunsOutOfMemoryFailsWithTheMessage)
{
    if (!kAddressLimitWorks)
        GTEST_SKIP() << "the address sanitizer cannot run under an address-space limit";
    TempDir dir;
    const std::string path = writeEndlessPrinters(dir);
    const std::string result = runInChild(
        [&] {
            limitAddressSpace(kOneGiB);
            Configuration c;
            std::string message;
            if (c.loadFromFile(path, message))
                return std::string("loaded");
            // The lines before the failure stay applied.
            return message + " Port " + std::to_string(c.Port) + (c.Printers.size() > 1000 ? " many" : " few");
        },
        120);
    EXPECT_EQ(result, "File could not be opened: Out of memory. Port 7 many");
}

TEST(OutOfMemory, TheCompanionExitsWithTheMessageUnderAOneGigabyteLimit)
{
    if (!kAddressLimitWorks)
        GTEST_SKIP() << "the address sanitizer cannot run under an address-space limit";
    if (runCommandStatus("prlimit --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no prlimit here";
    TempDir dir;
    const std::string path = writeEndlessPrinters(dir);
    const int status = runCommandStatus("prlimit --as=" + std::to_string(kOneGiB) + " " + QUARVEL_CFG_BINARY +
                                        " check " + path + " >" + dir.file("out") + " 2>" + dir.file("err"));
    EXPECT_EQ(status, 2);
    EXPECT_EQ(readBytes(dir.file("err")), "quarvel-cfg: File could not be opened: Out of memory.\n");
    EXPECT_EQ(readBytes(dir.file("out")), "");
}

// The text (about 50 MB) is written as it is formatted, a megabyte at a
// time: 16 MiB to spare are enough, and with less than the one piece the
// save fails before the file is touched.
TEST(OutOfMemory, ASaveNeedsRoomForOnePieceAndFailsBeforeTouchingTheFileWithout)
{
    if (!kAddressLimitWorks)
        GTEST_SKIP() << "the address sanitizer cannot run under an address-space limit";
    struct Row {
        rlim_t spare;
        std::string result;
        bool replaced;
    };
    const Row rows[] = {{rlim_t(16) << 20, "saved", true},
                        {rlim_t(256) << 10, "File could not be opened: Out of memory.", false}};
    for (const Row& row : rows) {
        TempDir dir;
        const std::string path = dir.file("config.cfg");
        writeBytes(path, "old");
        const std::string result = runInChild(
            [&] {
                Configuration c;
                PrinterRecord printer;
                printer.Description = std::string(200, 'd');
                for (int i = 0; i < 100000; ++i)
                    c.Printers.add(printer);
                std::ifstream status("/proc/self/status");
                std::string line;
                rlim_t size = 0;
                while (std::getline(status, line)) {
                    if (line.rfind("VmSize:", 0) == 0)
                        size = std::stoull(line.substr(7)) * 1024;
                }
                limitAddressSpace(size + row.spare);
                std::string message;
                return c.saveToFile(path, message) ? std::string("saved") : message;
            },
            120);
        EXPECT_EQ(result, row.result) << row.spare;
        if (row.replaced) {
            EXPECT_GT(std::filesystem::file_size(path), 3 * row.spare); // more than would fit whole
            continue;
        }
        EXPECT_EQ(readBytes(path), "old");
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"config.cfg"});
    }
}
