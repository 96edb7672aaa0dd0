// Starting the server's script (directly, through the shell or through
// Wine's command interpreter), finding Wine, the restart as a whole, the
// command interpreter and the folders.
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
