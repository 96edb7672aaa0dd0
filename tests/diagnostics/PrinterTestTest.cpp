#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "diagnostics/PrinterTest.h"

namespace {

// The real command interpreter and file system, with a scripted ping and a
// chosen current directory.
class TestEnvironment : public PrinterTestEnvironment {
  public:
    explicit TestEnvironment(std::string directory) : m_directory(std::move(directory)) {}
    bool reachable = true;
    int pingTime = 3;
    std::vector<std::string> pinged;
    std::vector<std::string> commands;

    bool Ping(const std::string& address, int timeoutMs, int& responseTimeMs) override
    {
        pinged.push_back(address + "/" + std::to_string(timeoutMs));
        responseTimeMs = pingTime;
        return reachable;
    }
    std::string CurrentDirectory() override { return m_directory; }
    int RunCommand(const std::string& commandLine) override
    {
        commands.push_back(commandLine);
        return PrinterTestEnvironment::RunCommand(commandLine);
    }

  private:
    std::string m_directory;
};

struct Message {
    std::string text;
    MessageIcon icon;
};

class RecordingSink : public MessageSink {
  public:
    std::vector<Message> messages;
    void ShowMessage(const std::string& text, MessageIcon icon) override { messages.push_back({text, icon}); }
};

// A fake lpr first on PATH: records its arguments one per line and returns
// the status in the file "status" beside it.
class FakeLpr {
  public:
    FakeLpr()
    {
        WriteBytes(m_dir.file("lpr"), "#!/bin/sh\n"
                                      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                          m_dir.file("args") +
                                          "\"\n"
                                          "echo \"lpr ran\"\n"
                                          "exit $(cat \"" +
                                          m_dir.file("status") + "\")\n");
        ::chmod(m_dir.file("lpr").c_str(), 0755);
        SetStatus(0);
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
        ::setenv("PATH", (m_dir.path() + ":" + m_oldPath).c_str(), 1);
    }
    ~FakeLpr() { ::setenv("PATH", m_oldPath.c_str(), 1); }
    void SetStatus(int status) { WriteBytes(m_dir.file("status"), std::to_string(status)); }
    std::string Arguments() const { return ReadBytes(m_dir.file("args")); }
    bool Ran() const { return FileExists(m_dir.file("args")); }

  private:
    TempDir m_dir;
    std::string m_oldPath;
};

} // namespace

TEST(PrinterTestPing, ReportsForBothOutcomes)
{
    TestEnvironment env("/");
    std::string report;
    EXPECT_TRUE(CPrinterTest(env).Ping("10.0.0.7", report));
    EXPECT_EQ(report, "SUCCESS!\n\n'10.0.0.7' successfully pinged.\nResponse time was 3ms.");
    EXPECT_EQ(env.pinged, std::vector<std::string>{"10.0.0.7/5000"});
    env.reachable = false;
    EXPECT_FALSE(CPrinterTest(env).Ping("printer", report));
    EXPECT_EQ(report, "FAILED!\n\nPing to 'printer' failed.");
}

TEST(PrinterTestPage, SendsThroughLprAndAppendsItsOutputToTheLog)
{
    TempDir cwd;
    WriteBytes(cwd.file("testpage.ps"), "%!PS\n");
    FakeLpr lpr;
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    EXPECT_TRUE(CPrinterTest(env).SendTestPage("10.0.0.7", "PASSTHRU", sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Printing succeed.\n\nCheck output at the printer.");
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(lpr.Arguments(), "/S\n10.0.0.7\n/P\nPASSTHRU\n/o\nl\n" + cwd.file("testpage.ps") + "\n");
    EXPECT_EQ(ReadBytes(cwd.file("testprint.log")), "lpr ran\n");

    lpr.SetStatus(3);
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("10.0.0.7", "PASSTHRU", sink));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[1].text, "Printing failed.\n\n Sending the test page to '10.0.0.7:PASSTHRU' using 'LPR' "
                                     "returned [3].\nCheck log file 'testprint.log'.");
    EXPECT_EQ(sink.messages[1].icon, MessageIcon::Error);
    EXPECT_EQ(ReadBytes(cwd.file("testprint.log")), "lpr ran\nlpr ran\n");
}

TEST(PrinterTestPage, HostileNamesArriveAsOneLiteralArgument)
{
    TempDir cwd;
    WriteBytes(cwd.file("testpage.ps"), "%!PS\n");
    FakeLpr lpr;
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    const std::string queue = "q; touch " + cwd.file("pwned") + " $(touch " + cwd.file("pwned2") + ") it's";
    EXPECT_TRUE(CPrinterTest(env).SendTestPage("host name", queue, sink));
    EXPECT_EQ(lpr.Arguments(), "/S\nhost name\n/P\n" + queue + "\n/o\nl\n" + cwd.file("testpage.ps") + "\n");
    EXPECT_FALSE(FileExists(cwd.file("pwned")));
    EXPECT_FALSE(FileExists(cwd.file("pwned2")));
}

TEST(PrinterTestPage, MissingPageOrUnreachablePrinterRunsNothing)
{
    TempDir cwd;
    FakeLpr lpr;
    TestEnvironment env(cwd.path());
    RecordingSink sink;
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("10.0.0.7", "q", sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Printing failed.\n\nTest page file '" + cwd.file("testpage.ps") + "' not found.");
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(env.pinged.empty());
    EXPECT_TRUE(env.commands.empty());

    WriteBytes(cwd.file("testpage.ps"), "%!PS\n");
    env.reachable = false;
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("10.0.0.7", "q", sink));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[1].text, "Printing failed.\n\nPrinter '10.0.0.7' not reachable.");
    EXPECT_EQ(env.pinged.size(), 1u);
    EXPECT_TRUE(env.commands.empty());
    EXPECT_FALSE(lpr.Ran());
    EXPECT_FALSE(FileExists(cwd.file("testprint.log")));
}

namespace {

class NoInterpreter : public TestEnvironment {
  public:
    using TestEnvironment::TestEnvironment;
    int RunCommand(const std::string&) override { return -1; }
};

} // namespace

TEST(PrinterTestPage, AnInterpreterThatCannotStartShowsMinusOne)
{
    TempDir cwd;
    WriteBytes(cwd.file("testpage.ps"), "%!PS\n");
    NoInterpreter env(cwd.path());
    RecordingSink sink;
    EXPECT_FALSE(CPrinterTest(env).SendTestPage("a", "b", sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("'a:b' using 'LPR' returned [-1]."), std::string::npos);
}

TEST(PrinterTestPage, CommandLineKeepsTheFormatWithEveryArgumentQuoted)
{
    EXPECT_EQ(CPrinterTest::TestPageCommand("10.0.0.7", "my queue", "/srv/q/testpage.ps", "/srv/q/testprint.log"),
              "lpr /S '10.0.0.7' /P 'my queue' /o l '/srv/q/testpage.ps' >> '/srv/q/testprint.log'");
}
