#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/Folders.h"
#include "platform/Processes.h"
#include "platform/ServerControl.h"
#include "platform/Shell.h"

namespace {

std::string uniqueSuffix()
{
    std::random_device device;
    return std::to_string(::getpid()) + "-" + std::to_string(device() % 1000000);
}

// Starts a copy of sleep under the given file name, with argv0 as its first
// argument; the test ends it itself if the operation under test did not.
class NamedSleeper {
  public:
    NamedSleeper(const std::string& dir, const std::string& name, const std::string& argv0 = std::string())
    {
        const std::string path = dir + "/" + name;
        if (!fileExists(path))
            std::filesystem::copy_file("/bin/sleep", path);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execl(path.c_str(), argv0.empty() ? name.c_str() : argv0.c_str(), "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Wait until the exec has happened, so /proc shows the new name.
        const std::string exe = "/proc/" + std::to_string(m_pid) + "/exe";
        for (int i = 0; i < 500; ++i) {
            std::error_code ec;
            if (std::filesystem::read_symlink(exe, ec).filename() == name)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~NamedSleeper()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // The signal that ended the process, 0 when it is still running.
    int endingSignal()
    {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == 0) {
            // SIGKILL is delivered asynchronously; give it a moment.
            for (int i = 0; i < 200 && done == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                    m_reaped = true;
                    return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
                }
            }
            return 0;
        }
        m_reaped = true;
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
    pid_t pid() const { return m_pid; }

  private:
    pid_t m_pid = -1;
    bool m_reaped = false;
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

TEST(Processes, EndsEveryProcessWithTheWholeNameInAnyCase)
{
    TempDir dir;
    const std::string suffix = uniqueSuffix();
    const std::string name = "tcpsrv-" + suffix + ".exe";
    std::filesystem::create_directory(dir.file("upper"));
    NamedSleeper first(dir.path(), name);
    NamedSleeper second(dir.path(), name);
    NamedSleeper upper(dir.file("upper"), "TCPSRV-" + suffix + ".EXE");
    NamedSleeper longer(dir.path(), name + ".old");
    NamedSleeper prefixed(dir.path(), "my" + name);

    EXPECT_EQ(terminateProcessesByName(name, true), 3);
    EXPECT_EQ(first.endingSignal(), SIGKILL);
    EXPECT_EQ(second.endingSignal(), SIGKILL);
    EXPECT_EQ(upper.endingSignal(), SIGKILL);
    EXPECT_EQ(longer.endingSignal(), 0);
    EXPECT_EQ(prefixed.endingSignal(), 0);

    EXPECT_EQ(terminateProcessesByName(name, true), 0);
}

TEST(Processes, AWindowsProgramUnderWineIsFoundByTheImageInItsFirstArgument)
{
    // Copies of sleep under the Wine loaders' names show what a program run
    // by Wine shows: a loader as executable, the Windows path as argv[0].
    TempDir dir;
    const std::string suffix = uniqueSuffix();
    const std::string name = "tcpsrv-" + suffix + ".exe";
    NamedSleeper windowsPath(dir.path(), "wine64", "Z:\\srv\\" + name);
    NamedSleeper upper(dir.path(), "wine64-preloader", "C:\\SRV\\TCPSRV-" + suffix + ".EXE");
    NamedSleeper plain(dir.path(), "wine", name);
    NamedSleeper unixPath(dir.path(), "wine-preloader", dir.path() + "/" + name);
    NamedSleeper older(dir.path(), "wine64", "Z:\\srv\\" + name + ".old");
    NamedSleeper inFolderOfThatName(dir.path(), "wine64", "Z:\\" + name + "\\other.exe");
    NamedSleeper notALoader(dir.path(), "sleep-" + suffix, "Z:\\srv\\" + name);

    EXPECT_EQ(terminateProcessesByName(name, true), 4);
    EXPECT_EQ(windowsPath.endingSignal(), SIGKILL);
    EXPECT_EQ(upper.endingSignal(), SIGKILL);
    EXPECT_EQ(plain.endingSignal(), SIGKILL);
    EXPECT_EQ(unixPath.endingSignal(), SIGKILL);
    EXPECT_EQ(older.endingSignal(), 0);
    EXPECT_EQ(inFolderOfThatName.endingSignal(), 0);
    EXPECT_EQ(notALoader.endingSignal(), 0);
}

TEST(Processes, OnlyTheLoadersOfWineLendTheirProcessesAWindowsName)
{
    const auto runs = [](std::string executable, std::string image) {
        return runsExecutable({1, std::move(executable), std::move(image)}, "tcpsrv.exe");
    };
    EXPECT_TRUE(runs("TcpSrv.EXE", ""));
    EXPECT_TRUE(runs("wine64", "tcpsrv.exe"));
    EXPECT_TRUE(runs("wine64-preloader", "TCPSRV.EXE"));
    EXPECT_FALSE(runs("wineserver64", "tcpsrv.exe"));
    EXPECT_FALSE(runs("mywine64", "tcpsrv.exe"));
    EXPECT_FALSE(runs("bash", "tcpsrv.exe"));
    // An executable that cannot be read is not known to be the server.
    EXPECT_FALSE(runs("", "tcpsrv.exe"));
}

TEST(Processes, AProcessIsNeverEndedOnItsShortNameAlone)
{
    // comm holds at most 15 characters.
    const std::string name = "t" + std::to_string(std::random_device()() % 1000000) + ".exe";
    const auto rename = [&name] { ::prctl(PR_SET_NAME, name.c_str()); };
    // A zombie keeps its short name but has no executable any more.
    const pid_t zombie = ::fork();
    if (zombie == 0) {
        rename();
        ::_exit(0);
    }
    // A live process that calls itself by the name but runs another program.
    const pid_t renamed = ::fork();
    if (renamed == 0) {
        rename();
        ::pause();
        ::_exit(0);
    }
    const auto state = [](pid_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        std::getline(stat, text);
        const std::size_t close = text.rfind(')');
        return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
    };
    for (int i = 0;
         i < 500 && (state(zombie) != 'Z' || readBytes("/proc/" + std::to_string(renamed) + "/comm") != name + "\n");
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(state(zombie), 'Z');
    ASSERT_EQ(readBytes("/proc/" + std::to_string(zombie) + "/comm"), name + "\n");

    EXPECT_EQ(terminateProcessesByName(name, true), 0);
    EXPECT_EQ(::waitpid(renamed, nullptr, WNOHANG), 0); // still running

    ::kill(renamed, SIGKILL);
    ::waitpid(renamed, nullptr, 0);
    ::waitpid(zombie, nullptr, 0);
}

TEST(Processes, WithoutAllOnlyTheFirstMatchIsEnded)
{
    TempDir dir;
    const std::string name = "tcpsrv-" + uniqueSuffix() + ".exe";
    NamedSleeper first(dir.path(), name);
    NamedSleeper second(dir.path(), name);
    EXPECT_EQ(terminateProcessesByName(name, false), 1);
    EXPECT_EQ((first.endingSignal() == SIGKILL) + (second.endingSignal() == SIGKILL), 1);
}

TEST(Processes, AMatchThatMayNotBeEndedStopsTheScan)
{
    FakeTable table;
    table.entries = {{10, "other", ""}, {11, "TCPSRV.EXE", ""}, {12, "wine64", "tcpsrv.exe"}, {13, "tcpsrv.exe", ""}};
    table.errors[12] = EPERM;
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), 1);
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11, 12}));

    table.killed.clear();
    table.errors[11] = EPERM;
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), 0);
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11}));

    // A process that ended on its own meanwhile does not stop the scan.
    table.killed.clear();
    table.errors = {{11, ESRCH}};
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), 2);
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11, 12, 13}));

    // Our own process is never ended, whatever it runs.
    FakeTable self;
    self.entries = {{::getpid(), "tcpsrv.exe", ""}};
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, self), 0);
    EXPECT_TRUE(self.killed.empty());

    FakeTable empty;
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, empty), 0);
}

TEST(Processes, NeverEndsThisProcessOrItsAncestors)
{
    const pid_t self = ::getpid();
    FakeTable table;
    table.entries = {{7001, "tcpsrv.exe", "", 1},
                     {7002, "tcpsrv.exe", "", 7003},
                     {7003, "bash", "", 1},
                     {self, "core_tests", "", 7002},
                     {7004, "wine64", "tcpsrv.exe", 7001}};
    EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), 2);
    EXPECT_EQ(table.killed, (std::vector<pid_t>{7001, 7004}));

    // The real parent, found through /proc: a shell under a name of the
    // test's own, which the scan must leave running.
    EXPECT_NE(::getppid(), 0);
    std::vector<ProcessEntry> entries;
    ASSERT_TRUE(ProcessTable::system().snapshot(entries));
    const auto me = std::find_if(entries.begin(), entries.end(), [&](const ProcessEntry& e) { return e.pid == self; });
    ASSERT_NE(me, entries.end());
    EXPECT_EQ(me->parent, ::getppid());
}

TEST(Processes, SparesEveryAncestorUpTheChainWhateverItRuns)
{
    // The table's parent of this process is the real one, which getppid
    // names as well: the walk must go on above it.
    const pid_t self = ::getpid();
    const pid_t parent = ::getppid();
    const struct {
        const char* what;
        std::vector<ProcessEntry> entries;
        std::vector<pid_t> killed;
    } rows[] = {
        {"the parent runs tcpsrv.exe",
         {{self, "core_tests", "", parent}, {parent, "tcpsrv.exe", "", 1}, {7001, "tcpsrv.exe", "", 1}},
         {7001}},
        {"the grandparent runs tcpsrv.exe",
         {{7001, "tcpsrv.exe", "", 1},
          {self, "core_tests", "", parent},
          {parent, "sh", "", 7100},
          {7100, "tcpsrv.exe", "", 1}},
         {7001}},
        {"the great-grandparent runs tcpsrv.exe, under Wine",
         {{self, "core_tests", "", parent},
          {parent, "sh", "", 7100},
          {7100, "wine64", "cmd.exe", 7200},
          {7200, "wine64", "tcpsrv.exe", 1},
          {7300, "wine64", "tcpsrv.exe", 7200}},
         {7300}},
        {"every ancestor runs tcpsrv.exe",
         {{self, "core_tests", "", parent},
          {parent, "tcpsrv.exe", "", 7100},
          {7100, "tcpsrv.exe", "", 7200},
          {7200, "tcpsrv.exe", "", 0},
          {7001, "tcpsrv.exe", "", 7200}},
         {7001}},
        {"parents that loop end the walk",
         {{self, "core_tests", "", parent},
          {parent, "sh", "", 7100},
          {7100, "tcpsrv.exe", "", parent},
          {7001, "tcpsrv.exe", "", 7001}},
         {7001}},
        {"a process that is its own parent ends the walk",
         {{self, "core_tests", "", parent}, {parent, "tcpsrv.exe", "", parent}, {7001, "tcpsrv.exe", "", 1}},
         {7001}},
        {"a parent not in the table ends the walk",
         {{self, "core_tests", "", 7100}, {7200, "tcpsrv.exe", "", 7300}, {7001, "tcpsrv.exe", "", 1}},
         {7200, 7001}},
    };
    for (const auto& row : rows) {
        FakeTable table;
        table.entries = row.entries;
        EXPECT_EQ(terminateProcessesByName("tcpsrv.exe", true, table), static_cast<int>(row.killed.size())) << row.what;
        EXPECT_EQ(table.killed, row.killed) << row.what;
    }
}

// The batch file is found as Windows would find it: case ignored, and only
// a regular file.
