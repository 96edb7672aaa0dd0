#include "platform/Processes.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "text/AsciiCase.h"

namespace {

std::string afterLast(const std::string& text, const char* separators)
{
    const std::size_t cut = text.find_last_of(separators);
    return cut == std::string::npos ? text : text.substr(cut + 1);
}

// The file name of /proc/PID/exe; empty when the link cannot be read.
std::string executableName(const std::string& procDir)
{
    std::error_code error;
    std::string target = std::filesystem::read_symlink(procDir + "/exe", error).string();
    if (error)
        return std::string();
    // An executable replaced on disk while it runs keeps its name.
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0)
        target.resize(target.size() - deleted.size());
    return afterLast(target, "/");
}

// The file name in the first argument of /proc/PID/cmdline. Wine writes the
// Windows path of the program it runs there ("Z:\srv\tcpsrv.exe").
std::string imageName(const std::string& procDir)
{
    std::ifstream cmdline(procDir + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(cmdline, first, '\0');
    return afterLast(first, "/\\");
}

// The parent's process id from /proc/PID/stat: the fourth field, after the
// command name in parentheses (which may itself hold blanks and ')').
pid_t parentOf(const std::string& procDir)
{
    std::ifstream stat(procDir + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos || close + 4 >= text.size())
        return 0;
    return static_cast<pid_t>(std::strtol(text.c_str() + close + 4, nullptr, 10));
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isExecutableFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Keeps a descriptor clear of the standard streams, which the script's
// process sets up for itself (a program started without them gets its
// first descriptors there).
bool aboveStandardStreams(int& fd)
{
    if (fd > STDERR_FILENO)
        return true;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    fd = moved;
    return moved >= 0;
}

// Tells the waiting parent why the script could not be started, then ends
// the process. Async-signal-safe.
[[noreturn]] void reportStartFailure(int fd, int error)
{
    if (::write(fd, &error, sizeof error) < 0) {
        // Nothing more can be told; the parent sees an empty report and
        // the exit status.
    }
    ::_exit(127);
}

} // namespace

bool ProcessTable::snapshot(std::vector<ProcessEntry>& entries)
{
    std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
    if (!proc)
        return false;
    while (const dirent* entry = ::readdir(proc.get())) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        const std::string dir = std::string("/proc/") + entry->d_name;
        ProcessEntry process{static_cast<pid_t>(pid), executableName(dir), std::string(), parentOf(dir)};
        if (isWineLoader(process.executableName))
            process.imageName = imageName(dir);
        entries.push_back(std::move(process));
    }
    return true;
}

int ProcessTable::kill(pid_t pid)
{
    return ::kill(pid, SIGKILL) == 0 ? 0 : errno;
}

ProcessTable& ProcessTable::system()
{
    static ProcessTable table;
    return table;
}

std::string findWine()
{
    if (const char* path = std::getenv("PATH")) {
        const std::string folders = path;
        for (const char* loader : {"wine", "wine64"}) {
            std::size_t start = 0;
            while (start <= folders.size()) {
                std::size_t end = folders.find(':', start);
                if (end == std::string::npos)
                    end = folders.size();
                // An empty entry means the current directory.
                const std::string folder = end > start ? folders.substr(start, end - start) : ".";
                const std::string candidate = folder + "/" + loader;
                if (isExecutableFile(candidate))
                    return candidate;
                start = end + 1;
            }
        }
    }
    const char* debianLoader = "/usr/lib/wine/wine64";
    return isExecutableFile(debianLoader) ? debianLoader : std::string();
}

std::string findScriptFile(const std::string& name, const std::string& directory)
{
    const auto regular = [&](const std::string& candidate) {
        struct stat st;
        return ::stat((directory + "/" + candidate).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    };
    if (regular(name))
        return name;
    std::unique_ptr<DIR, DirCloser> folder(::opendir(directory.c_str()));
    if (!folder)
        return std::string();
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(folder.get())) {
        if (equalIgnoringAsciiCase(entry->d_name, name) && regular(entry->d_name))
            matches.emplace_back(entry->d_name);
    }
    // Several names that differ in case only: the same one every time.
    std::sort(matches.begin(), matches.end());
    return matches.empty() ? std::string() : matches.front();
}

bool startScript(const std::string& requested, const std::string& directory, const std::string& wine)
{
    const std::string name = findScriptFile(requested, directory);
    if (name.empty())
        return false;
    const std::string path = directory + "/" + name;

    // Everything the child needs is prepared before fork: between fork and
    // exec only async-signal-safe calls are made.
    std::string script = name.find('/') == std::string::npos ? "./" + name : name;
    std::string shell = "/bin/sh";
    std::string loader = wine;
    // Wine looks a bare "cmd" up in the current folder first, where any
    // program could stand in for it: its own interpreter by its full path.
    std::string interpreter = "C:\\windows\\system32\\cmd.exe";
    std::string runAndEnd = "/c";
    std::string batch = name;
    char* directArgv[] = {script.data(), nullptr};
    char* wineArgv[] = {loader.data(), interpreter.data(), runAndEnd.data(), batch.data(), nullptr};
    char* shellArgv[] = {shell.data(), script.data(), nullptr};
    const bool executable = ::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
    const bool throughWine =
        !wine.empty() && (endsWithIgnoringAsciiCase(name, ".bat") || endsWithIgnoringAsciiCase(name, ".cmd"));

    // The script's process tells through this pipe whether every way to
    // start it failed; a successful exec closes the pipe unwritten.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    if (!aboveStandardStreams(report[0]) || !aboveStandardStreams(report[1])) {
        for (int fd : report)
            if (fd >= 0)
                ::close(fd);
        return false;
    }

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // The first child starts a new session and forks the script's
        // process, then ends at once: the script is adopted by init and no
        // zombie remains with us.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        if (::chdir(directory.c_str()) != 0)
            reportStartFailure(report[1], errno);
        // Nothing of ours goes with it: a server that holds our output would
        // keep a caller that reads it (a pipe, a script) waiting until the
        // server ends.
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
                ::dup2(devNull, stream);
            if (devNull > STDERR_FILENO)
                ::close(devNull);
        }
        // Only the standard streams and the report pipe go to the script.
        const unsigned keep = static_cast<unsigned>(report[1]);
        if (keep > STDERR_FILENO + 1)
            ::syscall(SYS_close_range, STDERR_FILENO + 1u, keep - 1, 0u);
        ::syscall(SYS_close_range, keep + 1, ~0u, 0u);
        if (executable)
            ::execv(directArgv[0], directArgv);
        if (throughWine)
            ::execv(wineArgv[0], wineArgv);
        ::execv(shellArgv[0], shellArgv);
        reportStartFailure(report[1], errno);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t told;
    while ((told = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && told == 0;
}
