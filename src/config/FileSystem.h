#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// The file calls of the writer, one virtual each, so that tests can make any
// one of them fail. Every call reports failure like its POSIX namesake: -1
// (or nullptr) with errno set.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual int Stat(const std::string& path, struct stat& st);
    virtual int Lstat(const std::string& path, struct stat& st);
    virtual bool RealPath(const std::string& path, std::string& resolved);
    virtual int MakeTemp(std::string& pathTemplate); // mkstemp: fd or -1
    virtual int Open(const std::string& path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const char* data, std::size_t size);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fchown(int fd, uid_t uid, gid_t gid);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Link(const std::string& from, const std::string& to);
    // Renames only when nothing exists under to (EEXIST otherwise).
    virtual int RenameNoReplace(const std::string& from, const std::string& to);
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int Unlink(const std::string& path);
    virtual void SyncDirectory(const std::string& directory);

    static FileSystem& Posix();
};
