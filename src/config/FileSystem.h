#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

// The file calls of the writer, one virtual each, so that tests can make any
// one of them fail. Every call reports failure like its POSIX namesake: -1
// with errno set.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual int Stat(const std::string& path, struct stat& st);
    virtual int Lstat(const std::string& path, struct stat& st);
    virtual int ReadLink(const std::string& path, std::string& target);
    virtual int Open(const std::string& path, int flags, mode_t mode); // always close-on-exec
    virtual int Fstat(int fd, struct stat& st);
    virtual ssize_t ReadAt(int fd, char* data, std::size_t size, off_t offset);
    virtual ssize_t Write(int fd, const char* data, std::size_t size);
    virtual ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset);
    virtual int Truncate(int fd, off_t size);
    // Reserves the blocks for size bytes without changing the file's length,
    // so that later writes up to that length cannot run out of space.
    virtual int Reserve(int fd, off_t size);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fchown(int fd, uid_t uid, gid_t gid);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Link(const std::string& from, const std::string& to);
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int Unlink(const std::string& path);
    virtual int ListDirectory(const std::string& directory, std::vector<std::string>& names);
    virtual void SyncDirectory(const std::string& directory);

    static FileSystem& Posix();
};
