#include "platform/Processes.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The file name of /proc/PID/exe; the short name in /proc/PID/comm where the
// link cannot be read (kernel threads, other users' processes).
std::string ExecutableName(const std::string& procDir)
{
    std::string target(4096, '\0');
    const ssize_t length = ::readlink((procDir + "/exe").c_str(), target.data(), target.size());
    if (length > 0) {
        target.resize(static_cast<std::size_t>(length));
        const std::string deleted = " (deleted)";
        if (target.size() > deleted.size() &&
            target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0)
            target.resize(target.size() - deleted.size());
        const std::size_t slash = target.rfind('/');
        return slash == std::string::npos ? target : target.substr(slash + 1);
    }
    std::ifstream comm(procDir + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

bool ProcessTable::Snapshot(std::vector<ProcessEntry>& entries)
{
    std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
    if (!proc)
        return false;
    while (const dirent* entry = ::readdir(proc.get())) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        entries.push_back({static_cast<pid_t>(pid), ExecutableName(std::string("/proc/") + entry->d_name)});
    }
    return true;
}

int ProcessTable::Kill(pid_t pid)
{
    return ::kill(pid, SIGKILL) == 0 ? 0 : errno;
}

ProcessTable& ProcessTable::System()
{
    static ProcessTable table;
    return table;
}

bool TerminateProcessesByName(const std::string& name, bool all, ProcessTable& table)
{
    std::vector<ProcessEntry> entries;
    if (!table.Snapshot(entries) || entries.empty())
        return false;

    bool ended = false;
    const pid_t self = ::getpid();
    for (const ProcessEntry& entry : entries) {
        if (entry.pid == self || !EqualIgnoringCase(entry.executableName, name))
            continue;
        const int error = table.Kill(entry.pid);
        if (error == EPERM)
            return ended; // may not be ended: later matches are not tried
        if (error == 0)
            ended = true;
        // ESRCH: the process ended on its own since the list was taken.
        if (!all)
            return ended;
    }
    return ended;
}

bool StartScript(const std::string& name, const std::string& directory)
{
    // Everything the child needs is prepared before fork: between fork and
    // exec only async-signal-safe calls are made.
    const std::string script = name.find('/') == std::string::npos ? "./" + name : name;
    const bool executable = ::faccessat(AT_FDCWD, (directory + "/" + name).c_str(), X_OK, AT_EACCESS) == 0;
    std::string shell = "/bin/sh";
    std::string scriptArg = script;
    char* directArgv[] = {scriptArg.data(), nullptr};
    char* shellArgv[] = {shell.data(), scriptArg.data(), nullptr};

    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The first child starts a new session and forks the script's
        // process, then ends at once: the script is adopted by init and no
        // zombie remains with us.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        if (::chdir(directory.c_str()) != 0)
            ::_exit(127);
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            ::dup2(devNull, STDIN_FILENO);
            if (devNull != STDIN_FILENO)
                ::close(devNull);
        }
        ::syscall(SYS_close_range, 3u, ~0u, 0u);
        if (executable)
            ::execv(directArgv[0], directArgv);
        ::execv(shellArgv[0], shellArgv);
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
