// Matching processes by executable name and ending them, the same on every
// system; the process list and the ending itself are the ProcessTable's.
#include <cerrno>

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

    int ended = 0;
    const pid_t self = thisProcess();
    for (const ProcessEntry& entry : entries) {
        if (entry.pid == self || !runsExecutable(entry, name))
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
