// The process scan, process ending and script start of Windows, against
// Windows processes the tests start themselves under names made for them.
#include <gtest/gtest.h>
#include <map>
#include <vector>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "platform/Processes.h"
#include "platform/ServerControl.h"

namespace {

std::string uniqueName(const std::string& stem)
{
    return stem + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount64() % 100000);
}

// A copy of the sleeper program under the given name in folder, started.
class NamedSleeper {
  public:
    // Sleepers of one name in one folder share the copy.
    NamedSleeper(const std::string& folder, const std::string& name)
        : m_path(inFolder(folder, name)),
          m_copied(fileExists(m_path) ||
                   ::CopyFileA(inFolder(programFolder(), "sleeper.exe").c_str(), m_path.c_str(), TRUE) != 0),
          m_program(m_path, "")
    {
    }
    bool running() { return m_copied && m_program.started() && m_program.exitCode(0) == -1; }
    // 0 once ended by TerminateProcess with exit code 0; -1 while it runs.
    long long exitCode() { return m_program.exitCode(5000); }
    long long exitCodeNow() { return m_program.exitCode(300); }

  private:
    std::string m_path;
    bool m_copied;
    StartedProgram m_program;
};

class FakeTable : public ProcessTable {
  public:
    std::vector<ProcessEntry> entries;
    std::map<pid_t, int> errors;
    std::vector<pid_t> killed;

    bool snapshot(std::vector<ProcessEntry>& out) override
    {
        out = entries;
        return true;
    }
    int kill(pid_t pid) override
    {
        killed.push_back(pid);
        return errors.count(pid) ? errors[pid] : 0;
    }
};

} // namespace

TEST(WinProcesses, TheSnapshotListsOurOwnProcessUnderItsFileName)
{
    std::vector<ProcessEntry> entries;
    ASSERT_TRUE(ProcessTable::system().snapshot(entries));
    bool found = false;
    for (const ProcessEntry& entry : entries)
        if (entry.pid == static_cast<pid_t>(::GetCurrentProcessId()))
            found = entry.executableName == "core_tests.exe";
    EXPECT_TRUE(found);
}

TEST(WinProcesses, EndsEveryProcessWithTheWholeNameInAnyCaseWithExitCodeZero)
{
    TempDir dir;
    const std::string name = uniqueName("tcpsrv") + ".exe";
    const std::string upperFolder = inFolder(dir.path(), "upper");
    ASSERT_TRUE(::CreateDirectoryA(upperFolder.c_str(), nullptr));
    std::string upperName = name;
    for (char& c : upperName)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);

    NamedSleeper first(dir.path(), name);
    NamedSleeper second(dir.path(), name);
    NamedSleeper upper(upperFolder, upperName);
    NamedSleeper longer(dir.path(), name + ".old.exe");
    NamedSleeper prefixed(dir.path(), "my" + name);
    ASSERT_TRUE(first.running() && second.running() && upper.running() && longer.running() && prefixed.running());

    EXPECT_EQ(terminateProcessesByName(name, true), 3);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(upper.exitCode(), 0);
    EXPECT_EQ(longer.exitCodeNow(), -1);
    EXPECT_EQ(prefixed.exitCodeNow(), -1);

    // Nothing of that name is left.
    EXPECT_EQ(terminateProcessesByName(name, true), 0);
}

TEST(WinProcesses, WithoutAllOnlyTheFirstMatchIsEnded)
{
    TempDir dir;
    const std::string name = uniqueName("tcpsrv") + ".exe";
    NamedSleeper first(dir.path(), name);
    NamedSleeper second(dir.path(), name);
    ASSERT_TRUE(first.running() && second.running());
    EXPECT_EQ(terminateProcessesByName(name, false), 1);
    const long long a = first.exitCode() == 0 ? 1 : 0;
    const long long b = second.exitCodeNow() == 0 ? 1 : 0;
    EXPECT_EQ(a + b, 1);
}

TEST(WinProcesses, AMatchThatCannotBeOpenedStopsTheScanAndThisProcessIsSpared)
{
    const pid_t self = static_cast<pid_t>(::GetCurrentProcessId());
    FakeTable table;
    for (const auto& [pid, name] : std::vector<std::pair<pid_t, std::string>>{
             {self, "TCPSRV.EXE"}, {10, "other"}, {11, "TCPSRV.EXE"}, {12, "tcpsrv.exe"}, {13, "tcpsrv.exe"}})
        table.entries.push_back({pid, name, std::string()});
    table.errors[12] = EPERM;
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), 1);
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11, 12}));

    // Opened but not ended, or gone meanwhile: the scan goes on.
    table.killed.clear();
    table.errors = {{11, EACCES}, {12, ESRCH}};
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), 1);
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11, 12, 13}));

    table.killed.clear();
    table.errors = {{11, EPERM}};
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), 0);
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11}));
}

TEST(WinProcesses, AnIdentifierOfNoProcessIsReportedAsGoneNotAsRefused)
{
    // What the system answers for an identifier that names no process must
    // let the scan go on (ESRCH), not stop it (EPERM).
    DWORD unused = 0x7FFFFFF0;
    EXPECT_EQ(ProcessTable::system().kill(static_cast<pid_t>(unused)), ESRCH);
}

namespace {

// Writes the folder it runs in to "marker", through a temporary name so
// that a reader never sees half of it.
const char* const kMarkerScript = "@echo off\r\n"
                                  "cd > marker.tmp\r\n"
                                  "ren marker.tmp marker\r\n";

} // namespace

TEST(WinProcesses, StartsTheBatchFileThroughTheShellInTheGivenFolder)
{
    TempDir dir;
    writeBytes(inFolder(dir.path(), "ZELNOR.bat"), kMarkerScript);
    EXPECT_TRUE(startScript("ZELNOR.bat", dir.path()));
    const std::string marker = waitForFile(inFolder(dir.path(), "marker"));
    EXPECT_EQ(marker, dir.path() + "\r\n");
}

TEST(WinProcesses, AMissingScriptIsNotStarted)
{
    TempDir dir;
    EXPECT_FALSE(startScript("ZELNOR.bat", dir.path()));
}

namespace {

// Runs the test in folder as the current directory, and goes back after.
class InCurrentDirectory {
  public:
    explicit InCurrentDirectory(const std::string& folder)
    {
        char old[MAX_PATH];
        ::GetCurrentDirectoryA(MAX_PATH, old);
        m_old = old;
        ::SetCurrentDirectoryA(folder.c_str());
    }
    ~InCurrentDirectory() { ::SetCurrentDirectoryA(m_old.c_str()); }

  private:
    std::string m_old;
};

} // namespace

TEST(WinProcesses, RestartEndsEveryServerThenStartsItsScriptInTheCurrentDirectory)
{
    // The restart ends every "tcpsrv.exe" it can see. Under Wine it sees
    // only the processes of the test run's own Wine prefix; on a real
    // Windows machine it could end a server that is no test's.
    if (!runningUnderWine())
        GTEST_SKIP() << "would end every tcpsrv.exe of this machine; runs under Wine only";
    TempDir dir;
    writeBytes(inFolder(dir.path(), "ZELNOR.bat"), kMarkerScript);
    const std::string other = inFolder(dir.path(), "other");
    ASSERT_TRUE(::CreateDirectoryA(other.c_str(), nullptr));
    NamedSleeper first(dir.path(), "tcpsrv.exe");
    NamedSleeper second(other, "TcpSrv.EXE");
    ASSERT_TRUE(first.running() && second.running());
    {
        InCurrentDirectory cwd(dir.path());
        ServerControl control;
        const RestartOutcome outcome = restartServer(control);
        EXPECT_EQ(outcome.ended, 2);
        EXPECT_TRUE(outcome.started);
    }
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(waitForFile(inFolder(dir.path(), "marker")), dir.path() + "\r\n");
}
