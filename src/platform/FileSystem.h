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

    virtual int stat(const std::string& path, struct stat& st);
    virtual int lstat(const std::string& path, struct stat& st);
    virtual int readLink(const std::string& path, std::string& target);
    virtual int open(const std::string& path, int flags, mode_t mode); // always close-on-exec
    virtual int fstat(int fd, struct stat& st);
    virtual ssize_t readAt(int fd, char* data, std::size_t size, off_t offset);
    virtual ssize_t write(int fd, const char* data, std::size_t size);
    virtual ssize_t writeAt(int fd, const char* data, std::size_t size, off_t offset);
    virtual int truncate(int fd, off_t size);
    // Reserves the blocks for size bytes without changing the file's length,
    // so that later writes up to that length cannot run out of space.
    virtual int reserve(int fd, off_t size);
    virtual int fchmod(int fd, mode_t mode);
    virtual int fchown(int fd, uid_t uid, gid_t gid);
    // Gives the file fd every extended attribute of the file at from that
    // this process may set (user., security. where permitted, the access
    // list system.posix_acl_access); the others are left out. Best effort:
    // the number of attributes that could not be given.
    virtual int copyAttributes(const std::string& from, int fd);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int link(const std::string& from, const std::string& to);
    virtual int rename(const std::string& from, const std::string& to);
    virtual int unlink(const std::string& path);
    virtual int makeDirectory(const std::string& path, mode_t mode); // EEXIST counts as failure
    virtual int listDirectory(const std::string& directory, std::vector<std::string>& names);
    // Makes the folder's entries durable; -1 with errno when the system
    // reports a failure (a file system that cannot sync a folder at all,
    // EINVAL, counts as success).
    virtual int syncDirectory(const std::string& directory);

    static FileSystem& posix();
};
