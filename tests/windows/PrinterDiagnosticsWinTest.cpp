// The test page on Windows: the LPR client's command line through the
// command interpreter, against a stand-in lpr.exe first on PATH; without
// lpr.exe, the built-in LPD client against the fake printer.
#include <gtest/gtest.h>
#include <optional>
#include <regex>

#include "FakeLpdServer.h"
#include "TestSupport.h"
#include "WinTestSupport.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "platform/Sockets.h"

namespace {

// The real interpreter and file system, a scripted ping, a chosen current
// directory and no other place for the page.
class TestEnvironment : public PrinterTestEnvironment {
  public:
    explicit TestEnvironment(std::string directory) : m_directory(std::move(directory)) {}
    bool reachable = true;
    std::vector<std::string> commands;

    bool ping(const std::string&, int, int& responseTimeMs) override
    {
        responseTimeMs = 1;
        return reachable;
    }
    std::string currentDirectory() override { return m_directory; }
    std::string dataDirectory() override { return std::string(); }
    std::string executableDirectory() override { return std::string(); }
    int runCommand(const std::string& commandLine) override
    {
        commands.push_back(commandLine);
        return PrinterTestEnvironment::runCommand(commandLine);
    }

  private:
    std::string m_directory;
};

class RecordingSink : public MessageSink {
  public:
    std::vector<std::string> texts;
    void showMessage(const std::string& text, MessageIcon) override { texts.push_back(text); }
};

// The stand-in lpr.exe in a folder put first on PATH for the test.
class FakeLpr {
  public:
    FakeLpr()
    {
        ::CopyFileA(inFolder(programFolder(), "fake_lpr.exe").c_str(), inFolder(m_dir.path(), "lpr.exe").c_str(),
                    FALSE);
        char path[32767];
        const DWORD length = ::GetEnvironmentVariableA("PATH", path, sizeof path);
        m_oldPath.assign(path, length < sizeof path ? length : 0);
        setEnvironment("PATH", m_dir.path() + ";" + m_oldPath);
    }
    ~FakeLpr() { setEnvironment("PATH", m_oldPath); }
    void setStatus(int status) { writeBytes(inFolder(m_dir.path(), "status"), std::to_string(status)); }
    std::string arguments() const { return readBytes(inFolder(m_dir.path(), "args")); }
    bool ran() const { return fileExists(inFolder(m_dir.path(), "args")); }

  private:
    TempDir m_dir;
    std::string m_oldPath;
};

// No lpr.exe on PATH: only an empty folder on it while a test runs.
class WinTestPageWithoutLpr : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(startSocketLibrary(2, 2)); }
    void SetUp() override
    {
        char path[32767];
        const DWORD length = ::GetEnvironmentVariableA("PATH", path, sizeof path);
        m_oldPath.assign(path, length < sizeof path ? length : 0);
        setEnvironment("PATH", m_emptyFolder.path());
    }
    void TearDown() override { setEnvironment("PATH", m_oldPath); }

  private:
    TempDir m_emptyFolder;
    std::string m_oldPath;
};

std::string failureText(const std::string& queue, int status)
{
    return "Printing failed.\n\n Sending the test page to '127.0.0.1:" + queue + "' using 'LPR' returned [" +
           std::to_string(status) + "].\nCheck log file 'testprint.log'.";
}

} // namespace

TEST(WinTestPage, SendsThroughLprAndTheInterpreterAppendsItsOutputToTheLog)
{
    TempDir root;
    // Blanks and the interpreter's own characters in the folder's name.
    const std::string cwd = inFolder(root.path(), "print test & (x)");
    ASSERT_TRUE(::CreateDirectoryA(cwd.c_str(), nullptr));
    writeBytes(inFolder(cwd, "testpage.ps"), "%!PS\n");
    FakeLpr lpr;
    TestEnvironment env(cwd);
    RecordingSink sink;

    EXPECT_TRUE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "PASSTHRU", sink));
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "Printing succeed.\n\nCheck output at the printer.");
    EXPECT_EQ(lpr.arguments(), "/S\n10.0.0.7\n/P\nPASSTHRU\n/o\nl\n" + cwd + "\\testpage.ps\n");
    EXPECT_EQ(readBytes(inFolder(cwd, "testprint.log")), "lpr ran\r\n");

    lpr.setStatus(3);
    EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "PASSTHRU", sink));
    ASSERT_EQ(sink.texts.size(), 2u);
    EXPECT_EQ(sink.texts[1], "Printing failed.\n\n Sending the test page to '10.0.0.7:PASSTHRU' using 'LPR' "
                             "returned [3].\nCheck log file 'testprint.log'.");
    EXPECT_EQ(readBytes(inFolder(cwd, "testprint.log")), "lpr ran\r\nlpr ran\r\n");
}

TEST(WinTestPage, HostileNamesArriveAsOneLiteralArgumentOrAreNotRun)
{
    TempDir cwd;
    writeBytes(inFolder(cwd.path(), "testpage.ps"), "%!PS\n");
    FakeLpr lpr;
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    const std::string pwned = inFolder(cwd.path(), "pwned");
    const std::string queue = "q & echo x > \"" + pwned + "\" | (more) <in ^caret \\\"";
    EXPECT_TRUE(PrinterDiagnostics(env).sendTestPage("host name", queue, sink));
    EXPECT_EQ(lpr.arguments(), "/S\nhost name\n/P\n" + queue + "\n/o\nl\n" + cwd.path() + "\\testpage.ps\n");
    EXPECT_FALSE(fileExists(pwned));

    // A percent sign could be replaced by an environment variable: the
    // command is not run and the status is that of an interpreter that
    // could not run it.
    ::DeleteFileA(inFolder(cwd.path(), "testprint.log").c_str());
    FakeLpr second;
    EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "%PATH%", sink));
    EXPECT_FALSE(second.ran());
    EXPECT_NE(sink.texts.back().find("'10.0.0.7:%PATH%' using 'LPR' returned [-1]."), std::string::npos);
}

TEST(WinTestPage, AMissingPageOrAnUnreachablePrinterRunsNothing)
{
    TempDir cwd;
    FakeLpr lpr;
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "q", sink));
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "Printing failed.\n\nTest page file '" + cwd.path() + "\\testpage.ps' not found.");

    writeBytes(inFolder(cwd.path(), "testpage.ps"), "%!PS\n");
    env.reachable = false;
    EXPECT_FALSE(PrinterDiagnostics(env).sendTestPage("10.0.0.7", "q", sink));
    EXPECT_EQ(sink.texts.back(), "Printing failed.\n\nPrinter '10.0.0.7' not reachable.");
    EXPECT_TRUE(env.commands.empty());
    EXPECT_FALSE(lpr.ran());
}

TEST(WinTestPage, CommandLineKeepsTheFormatQuotedForTheInterpreter)
{
    EXPECT_EQ(
        PrinterDiagnostics::testPageCommand("10.0.0.7", "my queue", "C:\\srv q\\testpage.ps",
                                            "C:\\srv q\\testprint.log"),
        "lpr /S ^\"10.0.0.7^\" /P ^\"my queue^\" /o l ^\"C:\\srv q\\testpage.ps^\" >> \"C:\\srv q\\testprint.log\"");
}

TEST_F(WinTestPageWithoutLpr, ThePageGoesOverLpdAndTheLogNamesTheBuiltInClient)
{
    TempDir cwd;
    const std::string page = "%!PS\r\nshowpage\r\n";
    writeBytes(inFolder(cwd.path(), "testpage.ps"), page);
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    struct Row {
        std::optional<FakeLpdServer::Behaviour> behaviour; // none: nothing listens
        bool delivered;
        std::string message;
        std::string logDetail; // a regular expression
    };
    const Row rows[] = {
        {FakeLpdServer::Behaviour::Accept, true, "Printing succeed.\n\nCheck output at the printer.",
         "\\[0\\] sent " + std::to_string(page.size()) + " bytes"},
        {FakeLpdServer::Behaviour::RefuseQueue, false, failureText("PASSTHRU", 3),
         "\\[3\\] the job request for queue 'PASSTHRU' refused \\(answer 1\\)"},
        {std::nullopt, false, failureText("PASSTHRU", 1), "\\[1\\] connection refused on port \\d+"},
    };
    std::string expectedLog;
    for (const Row& row : rows) {
        std::optional<FakeLpdServer> printer;
        env.lpd.port = unusedLoopbackPort();
        if (row.behaviour) {
            printer.emplace(*row.behaviour);
            env.lpd.port = printer->port();
        }
        EXPECT_EQ(PrinterDiagnostics(env).sendTestPage("127.0.0.1", "PASSTHRU", sink), row.delivered);
        EXPECT_EQ(sink.texts.back(), row.message);
        if (printer) {
            EXPECT_EQ(printer->wait().queue, "PASSTHRU");
            EXPECT_EQ(printer->wait().dataFile, row.delivered ? page : "");
        }
        expectedLog += "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d 127\\.0\\.0\\.1:PASSTHRU " + row.logDetail +
                       " \\(no lpr\\.exe found: built-in LPD client\\)\n";
    }
    EXPECT_TRUE(env.commands.empty());
    const std::string log = readBytes(inFolder(cwd.path(), "testprint.log"));
    EXPECT_TRUE(std::regex_match(log, std::regex(expectedLog))) << log;
}
