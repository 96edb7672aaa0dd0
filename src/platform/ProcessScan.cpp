// Matching processes by executable name and ending them, the same on every
// system; the process list and the ending itself are the ProcessTable's.
#include <algorithm>
#include <cerrno>
#include <set>

#include "platform/Processes.h"
#include "text/AsciiCase.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

pid_t thisProcess()
{
#ifdef _WIN32
    return static_cast<pid_t>(::GetCurrentProcessId());
#else
    return ::getpid();
#endif
}

} // namespace

bool isWineLoader(const std::string& executableName)
{
    return executableName == "wine" || executableName == "wine64" || executableName == "wine-preloader" ||
           executableName == "wine64-preloader";
}

bool runsExecutable(const ProcessEntry& entry, const std::string& name)
{
    if (entry.executableName.empty())
        return false;
    if (equalIgnoringAsciiCase(entry.executableName, name))
        return true;
    return isWineLoader(entry.executableName) && equalIgnoringAsciiCase(entry.imageName, name);
}

int terminateProcessesByName(const std::string& name, bool all, ProcessTable& table)
{
    std::vector<ProcessEntry> entries;
    if (!table.snapshot(entries))
        return 0;

    // This process and the chain of processes that started it: a server
    // image that starts this tool (a script host named like the server)
    // must not have its own caller ended under it.
    std::set<pid_t> spared{thisProcess()};
#ifndef _WIN32
    spared.insert(::getppid());
#endif
    // Up the chain as the table has it, to its top: a parent spared already
    // (the one getppid names) does not end the walk, a process met twice (a
    // table whose parents loop, as reused process ids can make them) does.
    std::set<pid_t> walked;
    for (pid_t next = thisProcess(); next > 0 && walked.insert(next).second;) {
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [next](const ProcessEntry& entry) { return entry.pid == next; });
        if (found == entries.end() || found->parent <= 0)
            break;
        spared.insert(found->parent);
        next = found->parent;
    }

    int ended = 0;
    for (const ProcessEntry& entry : entries) {
        if (spared.count(entry.pid) != 0 || !runsExecutable(entry, name))
            continue;
        const int error = table.kill(entry.pid);
        if (error == EPERM)
            return ended; // may not be ended: later matches are not tried
        if (error == 0)
            ++ended;
        // ESRCH: the process ended on its own since the list was taken;
        // any other error: it could not be ended, the scan goes on.
        if (!all)
            return ended;
    }
    return ended;
}
