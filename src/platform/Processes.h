#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// One running process as the process list shows it.
struct ProcessEntry {
    pid_t pid = 0;
    // The file name of its executable, without the folder; empty when the
    // executable cannot be read (kernel threads, zombies, processes of other
    // users that this one may not inspect).
    std::string executableName;
    // The file name in its first argument, after the last '/' or '\': the
    // Windows program that a Wine loader runs. Read only for Wine loaders.
    std::string imageName;
    // The process that started it; 0 when not known.
    pid_t parent = 0;
};

// True when the file name is one of the Wine loaders ("wine", "wine64",
// "wine-preloader", "wine64-preloader"), which run Windows programs.
bool isWineLoader(const std::string& executableName);

// True when the process runs the executable name, without regard to case:
// its own executable has that file name, or it is a Wine loader running a
// Windows program of that name. A process whose executable cannot be read is
// never taken for it, whatever it calls itself.
bool runsExecutable(const ProcessEntry& entry, const std::string& name);

// The operating system's process list and process ending, behind one seam:
// on Linux the /proc scan and SIGKILL, on Windows the Toolhelp snapshot and
// TerminateProcess with exit code 0.
class ProcessTable {
  public:
    virtual ~ProcessTable() = default;

    // Every running process, in the system's order; false when the list
    // cannot be taken.
    virtual bool snapshot(std::vector<ProcessEntry>& entries);

    // Ends the process at once. 0 on success, otherwise the errno value:
    // EPERM when this user may not end it (on Windows: the process cannot be
    // opened with terminate access), ESRCH when it is gone.
    virtual int kill(pid_t pid);

    static ProcessTable& system();
};

// Ends the processes that run the executable name (see RunsExecutable).
// With all false it stops after the first match it tried to end. A match
// that may not be ended stops the scan at once; this process and its
// ancestors (the shell or script that started it) are never ended.
// Returns how many processes were ended.
int terminateProcessesByName(const std::string& name, bool all, ProcessTable& table = ProcessTable::system());

// The Wine loader of this machine: "wine" or "wine64" on PATH, otherwise
// Debian's /usr/lib/wine/wine64; empty when Wine is not installed (and
// always on Windows, which runs batch files itself).
std::string findWine();

// The name of the regular file in directory whose name is name with case
// ignored (the exact name first), as Windows would find it; empty when there
// is none (a folder of that name is none).
std::string findScriptFile(const std::string& name, const std::string& directory);

// Starts the script file name (found by findScriptFile) in directory the
// way the desktop would open it, without waiting: run directly when it is
// executable; a ".bat" or ".cmd" file through Wine's own command interpreter
// by its full Windows path (wine C:\windows\system32\cmd.exe /c NAME, never a
// "cmd" of the script's folder) when a Wine loader is given; otherwise
// through /bin/sh. When the direct start
// fails (a batch file with an execute bit, as on Windows shares) the next way
// is taken. Detached in its own session, the standard streams on /dev/null;
// no zombie remains. True when the script's file exists and a program could be
// started on it; what the script then does is not examined.
// On Windows the shell opens it: ShellExecuteW with the verb "open" in
// directory (with a "\" at its end), shown normally; wine is not used.
bool startScript(const std::string& name, const std::string& directory, const std::string& wine = findWine());
