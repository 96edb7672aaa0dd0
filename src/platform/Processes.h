#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// One running process as the process list shows it: its identifier and the
// file name of its executable (without the folder).
struct ProcessEntry {
    pid_t pid = 0;
    std::string executableName;
};

// The operating system's process list and process ending, behind one seam.
class ProcessTable {
  public:
    virtual ~ProcessTable() = default;

    // Every running process, in the system's order; false when the list
    // cannot be taken.
    virtual bool Snapshot(std::vector<ProcessEntry>& entries);

    // Ends the process at once. 0 on success, otherwise the errno value:
    // EPERM when this user may not end it.
    virtual int Kill(pid_t pid);

    static ProcessTable& System();
};

// Ends processes whose executable file name equals name as a whole, without
// regard to case. With all false it stops after the first match it tried to
// end. A match that may not be ended stops the scan at once. True when at
// least one process was ended.
bool TerminateProcessesByName(const std::string& name, bool all, ProcessTable& table = ProcessTable::System());

// Starts the script file name in directory without waiting for it: detached
// in its own session, standard input from /dev/null, run directly when it is
// executable and through /bin/sh otherwise. No zombie remains. False only
// when no process could be made; whether the script runs is not examined.
bool StartScript(const std::string& name, const std::string& directory);
