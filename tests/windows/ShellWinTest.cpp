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
    ArgumentProbe() { ::CopyFileA(InFolder(ProgramFolder(), "fake_lpr.exe").c_str(), Program().c_str(), FALSE); }
    std::string Program() const { return InFolder(m_dir.path(), "probe.exe"); }
    std::string Arguments() const { return ReadBytes(InFolder(m_dir.path(), "args")); }
    void SetStatus(int status) { WriteBytes(InFolder(m_dir.path(), "status"), std::to_string(status)); }
    std::string File(const std::string& name) const { return InFolder(m_dir.path(), name); }

  private:
    TempDir m_dir;
};

} // namespace

TEST(WinShell, QuotedArgumentsReachTheProgramAsOneLiteralArgument)
{
    ArgumentProbe probe;
    const std::string pwned = probe.File("pwned");
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
        const int status = RunCommand(QuoteShellArgument(probe.Program()) + " " + QuoteShellArgument(text) + " " +
                                      QuoteShellArgument("second"));
        EXPECT_EQ(status, 0) << text;
        EXPECT_EQ(probe.Arguments(), text + "\nsecond\n") << text;
    }
    EXPECT_FALSE(FileExists(pwned));
}

TEST(WinShell, ExitStatusIsPassedOnAndUnsafeCommandLinesAreNotRun)
{
    ArgumentProbe probe;
    probe.SetStatus(3);
    EXPECT_EQ(RunCommand(QuoteShellArgument(probe.Program())), 3);
    EXPECT_EQ(RunCommand("exit 5"), 5);
    EXPECT_NE(RunCommand("no-such-command-quarvel 2>nul"), 0);

    // A line break would run what follows as a command of its own, and a
    // percent sign may be replaced by an environment variable.
    probe.SetStatus(0);
    ::DeleteFileA(probe.File("args").c_str());
    EXPECT_EQ(RunCommand(QuoteShellArgument(probe.Program()) + " " +
                         QuoteShellArgument("a\r\necho x > " + probe.File("pwned"))),
              -1);
    EXPECT_EQ(RunCommand(QuoteShellArgument(probe.Program()) + " " + QuoteShellArgument("%PATH%")), -1);
    EXPECT_FALSE(FileExists(probe.File("args")));
    EXPECT_FALSE(FileExists(probe.File("pwned")));
}

TEST(WinFolders, CurrentAndProgramFolderAreTheSystemsOwn)
{
    char buffer[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, buffer);
    EXPECT_EQ(CurrentDirectory(), std::string(buffer, length));
    EXPECT_EQ(ExecutableDirectory(), ProgramFolder());
}

TEST(WinSockets, StartsOnlyInAVersionTheLibraryGrants)
{
    EXPECT_TRUE(StartSocketLibrary(1, 1));
    EXPECT_TRUE(StartSocketLibrary(2, 1));
    // Below every version there is, and above every one: refused.
    EXPECT_FALSE(StartSocketLibrary(0, 0));
    EXPECT_FALSE(StartSocketLibrary(9, 9));
    EXPECT_FALSE(StartSocketLibrary(256, 0));
}
