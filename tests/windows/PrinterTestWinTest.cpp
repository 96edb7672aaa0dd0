// The test page on Windows: the LPR client's command line through the
// command interpreter, against a stand-in lpr.exe first on PATH.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "diagnostics/PrinterTest.h"

namespace {

// The real interpreter and file system, a scripted ping, a chosen current
// directory and no other place for the page.
class TestEnvironment : public PrinterTestEnvironment {
  public:
    explicit TestEnvironment(std::string directory) : m_directory(std::move(directory)) {}
    bool reachable = true;
    std::vector<std::string> commands;

    bool Ping(const std::string&, int, int& responseTimeMs) override
    {
        responseTimeMs = 1;
        return reachable;
    }
    std::string CurrentDirectory() override { return m_directory; }
    std::string DataDirectory() override { return std::string(); }
    std::string ExecutableDirectory() override { return std::string(); }
    int RunCommand(const std::string& commandLine) override
    {
        commands.push_back(commandLine);
        return PrinterTestEnvironment::RunCommand(commandLine);
    }

  private:
    std::string m_directory;
};

class RecordingSink : public MessageSink {
  public:
    std::vector<std::string> texts;
    void ShowMessage(const std::string& text, MessageIcon) override { texts.push_back(text); }
};

// The stand-in lpr.exe in a folder put first on PATH for the test.
class FakeLpr {
  public:
    FakeLpr()
    {
        ::CopyFileA(InFolder(ProgramFolder(), "fake_lpr.exe").c_str(), InFolder(m_dir.path(), "lpr.exe").c_str(),
                    FALSE);
        char path[32767];
        const DWORD length = ::GetEnvironmentVariableA("PATH", path, sizeof path);
        m_oldPath.assign(path, length < sizeof path ? length : 0);
        SetEnvironment("PATH", m_dir.path() + ";" + m_oldPath);
    }
    ~FakeLpr() { SetEnvironment("PATH", m_oldPath); }
    void SetStatus(int status) { WriteBytes(InFolder(m_dir.path(), "status"), std::to_string(status)); }
    std::string Arguments() const { return ReadBytes(InFolder(m_dir.path(), "args")); }
    bool Ran() const { return FileExists(InFolder(m_dir.path(), "args")); }

  private:
    TempDir m_dir;
    std::string m_oldPath;
};

} // namespace

TEST(WinTestPage, SendsThroughLprAndTheInterpreterAppendsItsOutputToTheLog)
{
    TempDir root;
    // Blanks and the interpreter's own characters in the folder's name.
    const std::string cwd = InFolder(root.path(), "print test & (x)");
    ASSERT_TRUE(::CreateDirectoryA(cwd.c_str(), nullptr));
    WriteBytes(InFolder(cwd, "testpage.ps"), "%!PS\n");
    FakeLpr lpr;
    TestEnvironment env(cwd);
    RecordingSink sink;

    EXPECT_TRUE(CPrinterTest(env).SendTestPage("10.0.0.7", "PASSTHRU", sink));
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "Printing succeed.\n\nCheck output at the printer.");
    EXPECT_EQ(lpr.Arguments(), "/S\n10.0.0.7\n/P\nPASSTHRU\n/o\nl\n" + cwd + "\\testpage.ps\n");
    EXPECT_EQ(ReadBytes(InFolder(cwd, "testprint.log")), "lpr ran\r\n");

    lpr.SetStatus(3);
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("10.0.0.7", "PASSTHRU", sink));
    ASSERT_EQ(sink.texts.size(), 2u);
    EXPECT_EQ(sink.texts[1], "Printing failed.\n\n Sending the test page to '10.0.0.7:PASSTHRU' using 'LPR' "
                             "returned [3].\nCheck log file 'testprint.log'.");
    EXPECT_EQ(ReadBytes(InFolder(cwd, "testprint.log")), "lpr ran\r\nlpr ran\r\n");
}

TEST(WinTestPage, HostileNamesArriveAsOneLiteralArgumentOrAreNotRun)
{
    TempDir cwd;
    WriteBytes(InFolder(cwd.path(), "testpage.ps"), "%!PS\n");
    FakeLpr lpr;
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    const std::string pwned = InFolder(cwd.path(), "pwned");
    const std::string queue = "q & echo x > \"" + pwned + "\" | (more) <in ^caret \\\"";
    EXPECT_TRUE(CPrinterTest(env).SendTestPage("host name", queue, sink));
    EXPECT_EQ(lpr.Arguments(), "/S\nhost name\n/P\n" + queue + "\n/o\nl\n" + cwd.path() + "\\testpage.ps\n");
    EXPECT_FALSE(FileExists(pwned));

    // A percent sign could be replaced by an environment variable: the
    // command is not run and the status is that of an interpreter that
    // could not run it.
    ::DeleteFileA(InFolder(cwd.path(), "testprint.log").c_str());
    FakeLpr second;
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("10.0.0.7", "%PATH%", sink));
    EXPECT_FALSE(second.Ran());
    EXPECT_NE(sink.texts.back().find("'10.0.0.7:%PATH%' using 'LPR' returned [-1]."), std::string::npos);
}

TEST(WinTestPage, AMissingPageOrAnUnreachablePrinterRunsNothing)
{
    TempDir cwd;
    FakeLpr lpr;
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("10.0.0.7", "q", sink));
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "Printing failed.\n\nTest page file '" + cwd.path() + "\\testpage.ps' not found.");

    WriteBytes(InFolder(cwd.path(), "testpage.ps"), "%!PS\n");
    env.reachable = false;
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("10.0.0.7", "q", sink));
    EXPECT_EQ(sink.texts.back(), "Printing failed.\n\nPrinter '10.0.0.7' not reachable.");
    EXPECT_TRUE(env.commands.empty());
    EXPECT_FALSE(lpr.Ran());
}

TEST(WinTestPage, CommandLineKeepsTheFormatQuotedForTheInterpreter)
{
    EXPECT_EQ(
        CPrinterTest::TestPageCommand("10.0.0.7", "my queue", "C:\\srv q\\testpage.ps", "C:\\srv q\\testprint.log"),
        "lpr /S ^\"10.0.0.7^\" /P ^\"my queue^\" /o l ^\"C:\\srv q\\testpage.ps^\" >> \"C:\\srv q\\testprint.log\"");
}
