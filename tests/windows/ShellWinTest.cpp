// The command interpreter of Windows: arguments quoted by our rules reach
// the program unchanged, whatever characters they hold.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/Sockets.h"

namespace {

// The fake LPR client as a probe: it writes the arguments it received.
class ArgumentProbe {
  public:
    ArgumentProbe() { ::CopyFileA(inFolder(programFolder(), "fake_lpr.exe").c_str(), program().c_str(), FALSE); }
    std::string program() const { return inFolder(m_dir.path(), "probe.exe"); }
    std::string arguments() const { return readBytes(inFolder(m_dir.path(), "args")); }
    void setStatus(int status) { writeBytes(inFolder(m_dir.path(), "status"), std::to_string(status)); }
    std::string file(const std::string& name) const { return inFolder(m_dir.path(), name); }

  private:
    TempDir m_dir;
};

} // namespace

TEST(WinShell, QuotedArgumentsReachTheProgramAsOneLiteralArgument)
{
    ArgumentProbe probe;
    const std::string pwned = probe.file("pwned");
    const std::string hostile[] = {
        "q & echo x > " + pwned,
        "q | echo x > " + pwned,
        "a \"quoted\" \"& echo x > " + pwned + "\"",
        "back\\slash\\\\ \\\"mixed\\",
        "trailing backslashes\\\\",
        "(paren) <angle> ^caret^ !bang! 'single'",
        "two  blanks\tand a tab",
        "",
    };
    for (const std::string& text : hostile) {
        const int status = runCommand(quoteShellArgument(probe.program()) + " " + quoteShellArgument(text) + " " +
                                      quoteShellArgument("second"));
        EXPECT_EQ(status, 0) << text;
        EXPECT_EQ(probe.arguments(), text + "\nsecond\n") << text;
    }
    EXPECT_FALSE(fileExists(pwned));
}

TEST(WinShell, ExitStatusIsPassedOnAndUnsafeCommandLinesAreNotRun)
{
    ArgumentProbe probe;
    probe.setStatus(3);
    EXPECT_EQ(runCommand(quoteShellArgument(probe.program())), 3);
    EXPECT_EQ(runCommand("exit 5"), 5);
    EXPECT_NE(runCommand("no-such-command-quarvel 2>nul"), 0);

    // A line break would run what follows as a command of its own, and a
    // percent sign may be replaced by an environment variable.
    probe.setStatus(0);
    ::DeleteFileA(probe.file("args").c_str());
    EXPECT_EQ(runCommand(quoteShellArgument(probe.program()) + " " +
                         quoteShellArgument("a\r\necho x > " + probe.file("pwned"))),
              -1);
    EXPECT_EQ(runCommand(quoteShellArgument(probe.program()) + " " + quoteShellArgument("%PATH%")), -1);
    EXPECT_FALSE(fileExists(probe.file("args")));
    EXPECT_FALSE(fileExists(probe.file("pwned")));
}

TEST(WinFolders, CurrentAndProgramFolderAreTheSystemsOwn)
{
    char buffer[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, buffer);
    EXPECT_EQ(currentDirectory(), std::string(buffer, length));
    EXPECT_EQ(executableDirectory(), programFolder());
}

TEST(WinSockets, StartsOnlyInAVersionTheLibraryGrants)
{
    EXPECT_TRUE(startSocketLibrary(1, 1));
    EXPECT_TRUE(startSocketLibrary(2, 1));
    // Below every version there is, and above every one: refused.
    EXPECT_FALSE(startSocketLibrary(0, 0));
    EXPECT_FALSE(startSocketLibrary(9, 9));
    EXPECT_FALSE(startSocketLibrary(256, 0));
}
