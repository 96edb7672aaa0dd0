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

namespace {

std::string waitForFile(const std::string& path)
{
    for (int i = 0; i < 1000; ++i) {
        const std::string text = readBytes(path);
        if (!text.empty() && text.back() == '\n')
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return readBytes(path);
}

const char* const kMarkerScript =
    "pwd > marker.tmp\n"
    "readlink /proc/self/fd/0 >> marker.tmp\n"
    "out=$(readlink /proc/$$/fd/1); echo \"$out\" >> marker.tmp\n"
    "ps -o sid= -p $$ 2>/dev/null | tr -d ' ' >> marker.tmp || echo unknown >> marker.tmp\n"
    "mv marker.tmp marker\n";

} // namespace

TEST(Processes, StartsAnExecutableScriptDetachedAndLeavesNoZombie)
{
    TempDir dir;
    writeBytes(dir.file("ZELNOR.bat"), std::string("#!/bin/sh\n") + kMarkerScript);
    ::chmod(dir.file("ZELNOR.bat").c_str(), 0755);

    EXPECT_TRUE(startScript("ZELNOR.bat", dir.path()));
    const std::string marker = waitForFile(dir.file("marker"));
    std::istringstream lines(marker);
    std::string cwd, stdinTarget, stdoutTarget, session;
    std::getline(lines, cwd);
    std::getline(lines, stdinTarget);
    std::getline(lines, stdoutTarget);
    std::getline(lines, session);
    EXPECT_EQ(std::filesystem::canonical(cwd), std::filesystem::canonical(dir.path()));
    EXPECT_EQ(stdinTarget, "/dev/null");
    EXPECT_EQ(stdoutTarget, "/dev/null");
    if (session != "unknown" && !session.empty()) {
        EXPECT_NE(session, std::to_string(::getsid(0)));
    }

    // The intermediate child was reaped and the script is not our child.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(Processes, AScriptWithoutExecuteBitRunsThroughTheShellUnlessWineTakesIt)
{
    TempDir dir;
    writeBytes(dir.file("ZELNOR.bat"), kMarkerScript);
    ::chmod(dir.file("ZELNOR.bat").c_str(), 0644);
    EXPECT_TRUE(startScript("ZELNOR.bat", dir.path(), "")); // no Wine here
    EXPECT_NE(waitForFile(dir.file("marker")), "");

    // Not a batch file: the shell, even where Wine is installed.
    std::filesystem::remove(dir.file("marker"));
    writeBytes(dir.file("start-server"), kMarkerScript);
    EXPECT_TRUE(startScript("start-server", dir.path(), "/nonexistent/wine"));
    EXPECT_NE(waitForFile(dir.file("marker")), "");

    EXPECT_FALSE(startScript("missing.bat", dir.path(), ""));
}

namespace {

// Stands in for the Wine loader: writes down its folder, its standard input
// and its arguments.
class FakeWine {
  public:
    FakeWine()
    {
        writeBytes(
            path(),
            "#!/bin/sh\n"
            "{ pwd; readlink /proc/self/fd/0; readlink /proc/$$/fd/2; printf '%s|' \"$@\"; echo; } > wine-marker.tmp\n"
            "mv wine-marker.tmp wine-marker\n");
        ::chmod(path().c_str(), 0755);
    }
    std::string path() const { return m_dir.file("wine"); }

  private:
    TempDir m_dir;
};

} // namespace

TEST(Processes, ABatchFileRunsThroughWinesCommandInterpreter)
{
    TempDir dir;
    FakeWine wine;
    const std::string folder = std::filesystem::canonical(dir.path()).string();
    writeBytes(dir.file("ZELNOR.bat"), "@echo off\r\necho %OS%\r\n");
    ::chmod(dir.file("ZELNOR.bat").c_str(), 0644);
    EXPECT_TRUE(startScript("ZELNOR.bat", dir.path(), wine.path()));
    EXPECT_EQ(waitForFile(dir.file("wine-marker")),
              folder + "\n/dev/null\n/dev/null\nC:\\windows\\system32\\cmd.exe|/c|ZELNOR.bat|\n");

    // With an execute bit, as files on Windows shares have, the direct start
    // fails and Wine takes the file.
    std::filesystem::remove(dir.file("wine-marker"));
    ::chmod(dir.file("ZELNOR.bat").c_str(), 0755);
    EXPECT_TRUE(startScript("ZELNOR.bat", dir.path(), wine.path()));
    EXPECT_EQ(waitForFile(dir.file("wine-marker")),
              folder + "\n/dev/null\n/dev/null\nC:\\windows\\system32\\cmd.exe|/c|ZELNOR.bat|\n");

    std::filesystem::remove(dir.file("wine-marker"));
    writeBytes(dir.file("START.CMD"), "@echo off\r\n");
    EXPECT_TRUE(startScript("START.CMD", dir.path(), wine.path()));
    EXPECT_EQ(waitForFile(dir.file("wine-marker")),
              folder + "\n/dev/null\n/dev/null\nC:\\windows\\system32\\cmd.exe|/c|START.CMD|\n");

    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

namespace {

class PathVariable {
  public:
    explicit PathVariable(const std::string& value)
    {
        const char* old = std::getenv("PATH");
        m_old = old ? old : "";
        ::setenv("PATH", value.c_str(), 1);
    }
    ~PathVariable() { ::setenv("PATH", m_old.c_str(), 1); }

  private:
    std::string m_old;
};

} // namespace

TEST(Processes, WineIsLookedForOnThePathThenInDebiansFolder)
{
    TempDir first, second;
    writeBytes(first.file("wine"), "#!/bin/sh\n");
    ::chmod(first.file("wine").c_str(), 0644);
    writeBytes(second.file("wine64"), "#!/bin/sh\n");
    ::chmod(second.file("wine64").c_str(), 0755);
    PathVariable path(first.path() + ":" + second.path());
    EXPECT_EQ(findWine(), second.file("wine64"));
    ::chmod(first.file("wine").c_str(), 0755);
    EXPECT_EQ(findWine(), first.file("wine"));

    PathVariable none("/nonexistent-quarvel");
    EXPECT_EQ(findWine(), fileExists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : "");
}

namespace {

class RecordingControl : public ServerControl {
  public:
    std::vector<std::string> calls;
    int terminateProcessesByName(const std::string& name, bool all) override
    {
        calls.push_back("terminate " + name + (all ? " all" : " first"));
        return 2;
    }
    bool startScript(const std::string& name, const std::string& directory) override
    {
        calls.push_back("start " + name + " in " + directory);
        return true;
    }
};

} // namespace

TEST(Processes, RestartEndsTheServerThenStartsItsScriptInTheWorkingDirectory)
{
    RecordingControl control;
    const RestartOutcome outcome = restartServer(control);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"terminate tcpsrv.exe all", "start ZELNOR.bat in ."}));
    EXPECT_EQ(outcome.ended, 2);
    EXPECT_TRUE(outcome.started);
}

TEST(shell, QuotedArgumentsReachTheCommandAsOneLiteralArgument)
{
    TempDir dir;
    const std::string hostile[] = {"q; touch " + dir.file("pwned"), "$(touch " + dir.file("pwned") + ")",
                                   "it's `id` \"x\" \\ *", "two  blanks", ""};
    for (const std::string& text : hostile) {
        const std::string out = dir.file("out");
        const int status = runCommand("printf '%s|' " + quoteShellArgument(text) + " > " + quoteShellArgument(out));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(readBytes(out), text + "|");
    }
    EXPECT_FALSE(fileExists(dir.file("pwned")));
}

TEST(shell, ExitStatusIsPassedOn)
{
    EXPECT_EQ(runCommand("exit 3"), 3);
    EXPECT_EQ(runCommand("true"), 0);
    EXPECT_EQ(runCommand("kill -9 $$"), 128 + 9);
    EXPECT_EQ(runCommand("no-such-command-quarvel 2>/dev/null"), 127);
}

TEST(Folders, CurrentAndProgramFolder)
{
    EXPECT_EQ(currentDirectory(), std::filesystem::current_path().string());
    EXPECT_TRUE(fileExists(executableDirectory() + "/core_tests"));
}

// The chain of processes that started this one may run the server's image
// (a shell copied as tcpsrv.exe runs the tool): none of it is ended.
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

// The batch file is found as Windows would find it: case ignored, and only
// a regular file.
TEST(Processes, TheStartScriptIsARegularFileFoundWithCaseIgnored)
{
    struct Row {
        const char* file;   // a script written under this name ("" none)
        const char* folder; // a folder made under this name ("" none)
        bool started;
        const char* found;
    };
    const Row rows[] = {
        {"ZELNOR.bat", "", true, "ZELNOR.bat"},           {"ZELNOR.BAT", "", true, "ZELNOR.BAT"},
        {"zelnor.Bat", "", true, "zelnor.Bat"},           {"", "ZELNOR.bat", false, ""},
        {"ZELNOR.BAT", "ZELNOR.bat", true, "ZELNOR.BAT"},
    };
    for (const Row& row : rows) {
        TempDir dir;
        if (*row.folder)
            std::filesystem::create_directory(dir.file(row.folder));
        if (*row.file) {
            writeBytes(dir.file(row.file), kMarkerScript);
            ::chmod(dir.file(row.file).c_str(), 0644);
        }
        EXPECT_EQ(findScriptFile("ZELNOR.bat", dir.path()), row.found) << row.file << "|" << row.folder;
        EXPECT_EQ(startScript("ZELNOR.bat", dir.path(), ""), row.started) << row.file << "|" << row.folder;
        if (row.started) {
            EXPECT_NE(waitForFile(dir.file("marker")), "") << row.file;
        }
    }
}
