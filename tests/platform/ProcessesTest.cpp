#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/Processes.h"
#include "platform/ServerControl.h"
#include "platform/Shell.h"

namespace {

std::string UniqueSuffix()
{
    std::random_device device;
    return std::to_string(::getpid()) + "-" + std::to_string(device() % 1000000);
}

// Starts a copy of sleep under the given file name; the test ends it itself
// if the operation under test did not.
class NamedSleeper {
  public:
    NamedSleeper(const std::string& dir, const std::string& name)
    {
        const std::string path = dir + "/" + name;
        if (!FileExists(path))
            std::filesystem::copy_file("/bin/sleep", path);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execl(path.c_str(), name.c_str(), "60", static_cast<char*>(nullptr));
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
    int EndingSignal()
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

    bool Snapshot(std::vector<ProcessEntry>& out) override
    {
        out = entries;
        return true;
    }
    int Kill(pid_t pid) override
    {
        killed.push_back(pid);
        return errors.count(pid) ? errors[pid] : 0;
    }
};

} // namespace

TEST(Processes, EndsEveryProcessWithTheWholeNameInAnyCase)
{
    TempDir dir;
    const std::string suffix = UniqueSuffix();
    const std::string name = "tcpsrv-" + suffix + ".exe";
    std::filesystem::create_directory(dir.file("upper"));
    NamedSleeper first(dir.path(), name);
    NamedSleeper second(dir.path(), name);
    NamedSleeper upper(dir.file("upper"), "TCPSRV-" + suffix + ".EXE");
    NamedSleeper longer(dir.path(), name + ".old");
    NamedSleeper prefixed(dir.path(), "my" + name);

    EXPECT_TRUE(TerminateProcessesByName(name, true));
    EXPECT_EQ(first.EndingSignal(), SIGKILL);
    EXPECT_EQ(second.EndingSignal(), SIGKILL);
    EXPECT_EQ(upper.EndingSignal(), SIGKILL);
    EXPECT_EQ(longer.EndingSignal(), 0);
    EXPECT_EQ(prefixed.EndingSignal(), 0);

    EXPECT_FALSE(TerminateProcessesByName(name, true));
}

TEST(Processes, WithoutAllOnlyTheFirstMatchIsEnded)
{
    TempDir dir;
    const std::string name = "tcpsrv-" + UniqueSuffix() + ".exe";
    NamedSleeper first(dir.path(), name);
    NamedSleeper second(dir.path(), name);
    EXPECT_TRUE(TerminateProcessesByName(name, false));
    EXPECT_EQ((first.EndingSignal() == SIGKILL) + (second.EndingSignal() == SIGKILL), 1);
}

TEST(Processes, AMatchThatMayNotBeEndedStopsTheScan)
{
    FakeTable table;
    table.entries = {{10, "other"}, {11, "TCPSRV.EXE"}, {12, "tcpsrv.exe"}, {13, "tcpsrv.exe"}};
    table.errors[12] = EPERM;
    EXPECT_TRUE(TerminateProcessesByName("tcpsrv.exe", true, table));
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11, 12}));

    table.killed.clear();
    table.errors[11] = EPERM;
    EXPECT_FALSE(TerminateProcessesByName("tcpsrv.exe", true, table));
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11}));

    // A process that ended on its own meanwhile does not stop the scan.
    table.killed.clear();
    table.errors = {{11, ESRCH}};
    EXPECT_TRUE(TerminateProcessesByName("tcpsrv.exe", true, table));
    EXPECT_EQ(table.killed, (std::vector<pid_t>{11, 12, 13}));

    FakeTable empty;
    EXPECT_FALSE(TerminateProcessesByName("tcpsrv.exe", true, empty));
}

namespace {

std::string WaitForFile(const std::string& path)
{
    for (int i = 0; i < 1000; ++i) {
        const std::string text = ReadBytes(path);
        if (!text.empty() && text.back() == '\n')
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ReadBytes(path);
}

const char* const kMarkerScript =
    "pwd > marker.tmp\n"
    "readlink /proc/self/fd/0 >> marker.tmp\n"
    "ps -o sid= -p $$ 2>/dev/null | tr -d ' ' >> marker.tmp || echo unknown >> marker.tmp\n"
    "mv marker.tmp marker\n";

} // namespace

TEST(Processes, StartsAnExecutableScriptDetachedAndLeavesNoZombie)
{
    TempDir dir;
    WriteBytes(dir.file("ZELNOR.bat"), std::string("#!/bin/sh\n") + kMarkerScript);
    ::chmod(dir.file("ZELNOR.bat").c_str(), 0755);

    EXPECT_TRUE(StartScript("ZELNOR.bat", dir.path()));
    const std::string marker = WaitForFile(dir.file("marker"));
    std::istringstream lines(marker);
    std::string cwd, stdinTarget, session;
    std::getline(lines, cwd);
    std::getline(lines, stdinTarget);
    std::getline(lines, session);
    EXPECT_EQ(std::filesystem::canonical(cwd), std::filesystem::canonical(dir.path()));
    EXPECT_EQ(stdinTarget, "/dev/null");
    if (session != "unknown" && !session.empty()) {
        EXPECT_NE(session, std::to_string(::getsid(0)));
    }

    // The intermediate child was reaped and the script is not our child.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(Processes, AScriptWithoutExecuteBitRunsThroughTheShell)
{
    TempDir dir;
    WriteBytes(dir.file("ZELNOR.bat"), kMarkerScript);
    ::chmod(dir.file("ZELNOR.bat").c_str(), 0644);
    EXPECT_TRUE(StartScript("ZELNOR.bat", dir.path()));
    EXPECT_NE(WaitForFile(dir.file("marker")), "");
}

namespace {

class RecordingControl : public ServerControl {
  public:
    std::vector<std::string> calls;
    bool TerminateProcessesByName(const std::string& name, bool all) override
    {
        calls.push_back("terminate " + name + (all ? " all" : " first"));
        return false;
    }
    bool StartScript(const std::string& name, const std::string& directory) override
    {
        calls.push_back("start " + name + " in " + directory);
        return true;
    }
};

} // namespace

TEST(Processes, RestartEndsTheServerThenStartsItsScriptInTheWorkingDirectory)
{
    RecordingControl control;
    RestartServer(control);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"terminate tcpsrv.exe all", "start ZELNOR.bat in ."}));
}

TEST(Shell, QuotedArgumentsReachTheCommandAsOneLiteralArgument)
{
    TempDir dir;
    const std::string hostile[] = {"q; touch " + dir.file("pwned"), "$(touch " + dir.file("pwned") + ")",
                                   "it's `id` \"x\" \\ *", "two  blanks", ""};
    for (const std::string& text : hostile) {
        const std::string out = dir.file("out");
        const int status = RunCommand("printf '%s|' " + QuoteShellArgument(text) + " > " + QuoteShellArgument(out));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(ReadBytes(out), text + "|");
    }
    EXPECT_FALSE(FileExists(dir.file("pwned")));
}

TEST(Shell, ExitStatusIsPassedOn)
{
    EXPECT_EQ(RunCommand("exit 3"), 3);
    EXPECT_EQ(RunCommand("true"), 0);
    EXPECT_EQ(RunCommand("kill -9 $$"), 128 + 9);
    EXPECT_EQ(RunCommand("no-such-command-quarvel 2>/dev/null"), 127);
    EXPECT_FALSE(CurrentDirectory().empty());
}
