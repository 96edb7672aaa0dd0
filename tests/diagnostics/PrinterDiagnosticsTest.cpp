#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

#include "FakeLpdServer.h"
#include "TestSupport.h"
#include "diagnostics/PrinterDiagnostics.h"

namespace {

using namespace std::chrono_literals;

// The real file system and printer protocol, with a scripted ping and
// chosen folders; the data folder and the program's folder are empty
// temporary folders unless a test fills them.
class TestEnvironment : public PrinterTestEnvironment {
  public:
    explicit TestEnvironment(std::string directory) : m_directory(std::move(directory)) { lpd.timeout = 2000ms; }
    bool reachable = true;
    int pingTime = 3;
    std::vector<std::string> pinged;
    TempDir dataDir;
    TempDir programDir;

    bool ping(const std::string& address, int timeoutMs, int& responseTimeMs) override
    {
        pinged.push_back(address + "/" + std::to_string(timeoutMs));
        responseTimeMs = pingTime;
        return reachable;
    }
    std::string currentDirectory() override { return m_directory; }
    std::string dataDirectory() override { return dataDir.path(); }
    std::string executableDirectory() override { return programDir.path(); }

  private:
    std::string m_directory;
};

// Records the sending step instead of sending.
class RecordingEnvironment : public TestEnvironment {
  public:
    using TestEnvironment::TestEnvironment;
    int status = 0;
    std::vector<std::string> sent; // address|queue|page|log
    int sendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                 const std::string& logPath) override
    {
        sent.push_back(address + "|" + queue + "|" + pagePath + "|" + logPath);
        return status;
    }
};

struct Message {
    std::string text;
    MessageIcon icon;
};

class RecordingSink : public MessageSink {
  public:
    std::vector<Message> messages;
    void showMessage(const std::string& text, MessageIcon icon) override { messages.push_back({text, icon}); }
};

std::string testPage()
{
    return readBytes(QUARVEL_TESTPAGE);
}

std::string failureText(const std::string& printer, const std::string& queue, int status)
{
    return "Printing failed.\n\n Sending the test page to '" + printer + ":" + queue + "' using 'LPR' returned [" +
           std::to_string(status) + "].\nCheck log file 'testprint.log'.";
}

} // namespace

TEST(PrinterTestPing, ReportsForBothOutcomes)
{
    TestEnvironment env("/");
    std::string report;
    EXPECT_TRUE(PrinterDiagnostics(env).ping("10.0.0.7", report));
    EXPECT_EQ(report, "SUCCESS!\n\n'10.0.0.7' successfully pinged.\nResponse time was 3ms.");
    EXPECT_EQ(env.pinged, std::vector<std::string>{"10.0.0.7/5000"});
    env.reachable = false;
    EXPECT_FALSE(PrinterDiagnostics(env).ping("printer", report));
    EXPECT_EQ(report, "FAILED!\n\nPing to 'printer' failed.");
}

TEST(PrinterTestPing, IPv6AddressesAreToldApartFromUnreachablePrinters)
{
    const std::string unsupported = "FAILED!\n\nIPv6 is not supported by the ping: use the printer's IPv4 address";
    const struct {
        const char* address;
        std::string report;
    } rows[] = {
        {"::1", unsupported}, {"fe80::1%lo", unsupported}, {"printer::", "FAILED!\n\nPing to 'printer::' failed."}};
    for (const auto& row : rows) {
        TestEnvironment env("/");
        env.reachable = false;
        std::string report;
        EXPECT_FALSE(PrinterDiagnostics(env).ping(row.address, report));
        EXPECT_EQ(report, row.report) << row.address;
    }
}

TEST(PrinterTestPage, DeliversThePageOverLpdAndLogsEveryRunThatSends)
{
    TempDir cwd;
    writeBytes(cwd.file("testpage.ps"), testPage());
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    {
        FakeLpdServer printer(FakeLpdServer::Behaviour::Accept);
        env.lpd.port = printer.port();
        EXPECT_TRUE(PrinterDiagnostics(env).sendTestPage("127.0.0.1", "PASSTHRU", sink));
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, "Printing succeed.\n\nCheck output at the printer.");
        EXPECT_EQ(sink.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(printer.wait().queue, "PASSTHRU");
        EXPECT_EQ(printer.wait().dataFile, testPage());
    }
    {
        FakeLpdServer printer(FakeLpdServer::Behaviour::RefuseQueue);
        env.lpd.port = printer.port();
        EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("127.0.0.1", "PASSTHRU", sink));
        ASSERT_EQ(sink.messages.size(), 2u);
        EXPECT_EQ(sink.messages[1].text, failureText("127.0.0.1", "PASSTHRU", 3));
        EXPECT_EQ(sink.messages[1].icon, MessageIcon::Error);
    }
    env.lpd.port = unusedLoopbackPort();
    EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("127.0.0.1", "PASSTHRU", sink));
    ASSERT_EQ(sink.messages.size(), 3u);
    EXPECT_EQ(sink.messages[2].text, failureText("127.0.0.1", "PASSTHRU", 1));

    // One line per run, appended: time, printer, queue, status and what happened.
    const std::string log = readBytes(cwd.file("testprint.log"));
    const std::string time = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ";
    EXPECT_TRUE(std::regex_match(
        log,
        std::regex(time + "127\\.0\\.0\\.1:PASSTHRU \\[0\\] sent " + std::to_string(testPage().size()) + " bytes\n" +
                   time +
                   "127\\.0\\.0\\.1:PASSTHRU \\[3\\] the job request for queue 'PASSTHRU' refused \\(answer 1\\)\n" +
                   time + "127\\.0\\.0\\.1:PASSTHRU \\[1\\] connection refused on port \\d+\n")))
        << log;
}

TEST(PrinterTestPage, HostileNamesReachThePrinterLiterallyAndRunNothing)
{
    TempDir cwd;
    writeBytes(cwd.file("testpage.ps"), testPage());
    TestEnvironment env(cwd.path());
    FakeLpdServer printer(FakeLpdServer::Behaviour::Accept);
    env.lpd.port = printer.port();
    RecordingSink sink;
    const std::string queue = "q; touch " + cwd.file("pwned") + " $(touch " + cwd.file("pwned2") + ") it's";
    EXPECT_TRUE(PrinterDiagnostics(env).sendTestPage("127.0.0.1", queue, sink));
    EXPECT_EQ(printer.wait().queue, queue);
    EXPECT_FALSE(fileExists(cwd.file("pwned")));
    EXPECT_FALSE(fileExists(cwd.file("pwned2")));
}

TEST(PrinterTestPage, ThePageIsTakenFromTheCurrentFolderThenTheDataFolderThenBesideTheProgram)
{
    TempDir cwd;
    RecordingEnvironment env(cwd.path());
    RecordingSink sink;
    writeBytes(env.programDir.file("testpage.ps"), "beside the program");
    EXPECT_TRUE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "q", sink));
    writeBytes(env.dataDir.file("testpage.ps"), "installed");
    EXPECT_TRUE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "q", sink));
    writeBytes(cwd.file("testpage.ps"), "here");
    EXPECT_TRUE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "q", sink));
    const std::string log = cwd.file("testprint.log");
    EXPECT_EQ(env.sent, (std::vector<std::string>{"10.0.0.7|q|" + env.programDir.file("testpage.ps") + "|" + log,
                                                  "10.0.0.7|q|" + env.dataDir.file("testpage.ps") + "|" + log,
                                                  "10.0.0.7|q|" + cwd.file("testpage.ps") + "|" + log}));

    // Without a readable current folder the log goes to a relative name.
    RecordingEnvironment lost("");
    writeBytes(lost.dataDir.file("testpage.ps"), "installed");
    EXPECT_TRUE(PrinterDiagnostics(lost).sendTestPage("10.0.0.7", "q", sink));
    EXPECT_EQ(lost.sent, std::vector<std::string>{"10.0.0.7|q|" + lost.dataDir.file("testpage.ps") + "|testprint.log"});

    // The installed data folder is fixed when the program is built.
    const std::string installed = PrinterTestEnvironment().dataDirectory();
    EXPECT_TRUE(std::filesystem::path(installed).is_absolute());
    EXPECT_EQ(std::filesystem::path(installed).filename(), "quarvel");
}

TEST(PrinterTestPage, MissingPageOrUnreachablePrinterSendsNothing)
{
    TempDir cwd;
    RecordingEnvironment env(cwd.path());
    RecordingSink sink;
    EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "q", sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Printing failed.\n\nTest page file '" + cwd.file("testpage.ps") + "' not found.");
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(env.pinged.empty());

    RecordingEnvironment lost("");
    EXPECT_FALSE(PrinterDiagnostics(lost).sendTestPage("10.0.0.7", "q", sink));
    EXPECT_EQ(sink.messages.back().text, "Printing failed.\n\nTest page file 'testpage.ps' not found.");

    writeBytes(env.dataDir.file("testpage.ps"), "%!PS\n");
    env.reachable = false;
    EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "q", sink));
    EXPECT_EQ(sink.messages.back().text, "Printing failed.\n\nPrinter '10.0.0.7' not reachable.");
    EXPECT_EQ(sink.messages.back().icon, MessageIcon::Error);
    EXPECT_EQ(env.pinged.size(), 1u);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_FALSE(fileExists(cwd.file("testprint.log")));
}

TEST(PrinterTestPage, TheSendingStepsStatusIsShownAsItIs)
{
    TempDir cwd;
    writeBytes(cwd.file("testpage.ps"), "%!PS\n");
    RecordingEnvironment env(cwd.path());
    RecordingSink sink;
    for (int status : {2, 4, 6, -1}) {
        env.status = status;
        EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("a", "b c", sink));
        EXPECT_EQ(sink.messages.back().text, failureText("a", "b c", status));
    }
}

TEST(PrinterTestPage, LogLinesStayOneLine)
{
    EXPECT_EQ(PrinterDiagnostics::logLine("2024-05-06 07:08:09", "10.0.0.7", "q\nr", {LpdStatus::TimedOut, "late\r"}),
              "2024-05-06 07:08:09 10.0.0.7:q?r [2] late?\n");
}

TEST(PrinterTestPage, CommandLineKeepsTheFormatWithEveryArgumentQuoted)
{
    EXPECT_EQ(PrinterDiagnostics::testPageCommand("10.0.0.7", "my queue", "/srv/q/testpage.ps", "/srv/q/testprint.log"),
              "lpr /S '10.0.0.7' /P 'my queue' /o l '/srv/q/testpage.ps' >> '/srv/q/testprint.log'");
}
