#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "config/FileSystem.h"

// Makes the failAt-th file call fail with error (0: none fails) and counts
// the calls. A failing write first writes half of its bytes, the worst a
// real one can leave. Refusals of temporary files and hard links are
// conditions of the scenario, not injected faults: they fail every time.
class FaultInjectingFileSystem : public FileSystem {
  public:
    FaultInjectingFileSystem(int failAt, int error, bool refuseTemporaryFiles, bool refuseLinks);

    int calls() const { return m_calls; }

    int Stat(const std::string& path, struct stat& st) override;
    int Lstat(const std::string& path, struct stat& st) override;
    int ReadLink(const std::string& path, std::string& target) override;
    int Open(const std::string& path, int flags, mode_t mode) override;
    int Fstat(int fd, struct stat& st) override;
    ssize_t ReadAt(int fd, char* data, std::size_t size, off_t offset) override;
    ssize_t Write(int fd, const char* data, std::size_t size) override;
    ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset) override;
    int Truncate(int fd, off_t size) override;
    int Reserve(int fd, off_t size) override;
    int Fchmod(int fd, mode_t mode) override;
    int Fchown(int fd, uid_t uid, gid_t gid) override;
    int Fsync(int fd) override;
    int Close(int fd) override;
    int Link(const std::string& from, const std::string& to) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Unlink(const std::string& path) override;
    int ListDirectory(const std::string& directory, std::vector<std::string>& names) override;

  private:
    bool Hit();

    int m_failAt;
    int m_error;
    bool m_refuseTemporaryFiles;
    bool m_refuseLinks;
    int m_calls = 0;
};

// One save, repeated with every single call failing in turn with each of
// ENOSPC, EIO, EACCES and EDQUOT. After each run the path must hold the
// complete new file (when the save reported success) or the complete old
// one (when it reported failure; no file when there was none), keep its
// permission bits, and the folder may hold nothing else but backups with
// the old bytes.
struct FaultSweep {
    std::string path;
    bool exists = true; // the old bytes are the file's bytes when the sweep starts
    std::string newBytes;
    bool refuseTemporaryFiles = false;
    bool refuseLinks = false;
};

struct FaultSweepResult {
    int calls = 0;  // file calls of one undisturbed save
    int faults = 0; // runs with one injected fault
    int successes = 0;
    int failures = 0;
    std::vector<std::string> violations;
};

FaultSweepResult RunFaultSweep(const FaultSweep& sweep);
