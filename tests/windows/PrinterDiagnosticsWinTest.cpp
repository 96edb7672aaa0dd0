// The test page on Windows: the LPR client's command line through the
// command interpreter, against a stand-in lpr.exe first on PATH.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "diagnostics/PrinterDiagnostics.h"

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
