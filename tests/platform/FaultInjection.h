#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/FileSystem.h"

// Makes the failAt-th file call fail with error (0: none fails), or each of
// the calls numbered in failing, and counts the calls. A failing write first writes half of its bytes, the worst a
// real one can leave. Refusals of temporary files and hard links are
// conditions of the scenario, not injected faults: they fail every time.
class FaultInjectingFileSystem : public FileSystem {
  public:
    FaultInjectingFileSystem(int failAt, int error, bool refuseTemporaryFiles, bool refuseLinks);
    FaultInjectingFileSystem(std::vector<int> failing, int error, bool refuseTemporaryFiles, bool refuseLinks);

    int calls() const { return m_calls; }
    // The process kills itself (SIGKILL) as the call numbered call begins,
    // as a power cut or an administrator's kill -9 would end a save.
    void killAt(int call) { m_killAt = call; }

    int stat(const std::string& path, struct stat& st) override;
    int lstat(const std::string& path, struct stat& st) override;
    int readLink(const std::string& path, std::string& target) override;
    int open(const std::string& path, int flags, mode_t mode) override;
    int fstat(int fd, struct stat& st) override;
    ssize_t readAt(int fd, char* data, std::size_t size, off_t offset) override;
    ssize_t write(int fd, const char* data, std::size_t size) override;
    ssize_t writeAt(int fd, const char* data, std::size_t size, off_t offset) override;
    int truncate(int fd, off_t size) override;
    int reserve(int fd, off_t size) override;
    int fchmod(int fd, mode_t mode) override;
    int fchown(int fd, uid_t uid, gid_t gid) override;
    int fsync(int fd) override;
    int close(int fd) override;
    int link(const std::string& from, const std::string& to) override;
    int rename(const std::string& from, const std::string& to) override;
    int unlink(const std::string& path) override;
    int listDirectory(const std::string& directory, std::vector<std::string>& names) override;
    int syncDirectory(const std::string& directory) override;

  private:
    bool hit();

    std::vector<int> m_failing;
    int m_error;
    bool m_refuseTemporaryFiles;
    bool m_refuseLinks;
    int m_calls = 0;
    int m_killAt = 0;
};

// One save, repeated with every single call failing in turn with each of
// ENOSPC, EIO, EACCES and EDQUOT. After each run the path must hold the
// complete new file (when the save reported success) or the complete old
// one (when it reported failure; no file when there was none), keep its
// permission bits, and the folder may hold nothing else but backups with
// the old bytes.
//
// With faultsPerRun 3, three calls fail in each run instead, at each
// combination of three call numbers up to the most calls a run with one
// fault made, with the errors in turn; when there are more combinations than
// maxRuns, every n-th of them is taken. A failure may then also name the
// recovery copy instead, which must hold the old bytes.
struct FaultSweep {
    std::string path;
    bool exists = true; // the old bytes are the file's bytes when the sweep starts
    std::string newBytes;
    bool refuseTemporaryFiles = false;
    bool refuseLinks = false;
    std::size_t pieceSize = 0; // not 0: the new bytes come from a producer, in pieces of this size
    int faultsPerRun = 1;      // 1 or 3
    int maxRuns = 0;           // with three faults; 0: every combination
};

struct FaultSweepResult {
    int calls = 0;         // file calls of one undisturbed save
    int faults = 0;        // runs with injected faults
    long combinations = 0; // with three faults: of which the runs were sampled
    int successes = 0;
    int failures = 0;
    std::vector<std::string> violations;
};

FaultSweepResult runFaultSweep(const FaultSweep& sweep);
