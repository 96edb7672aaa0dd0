#include "config/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

int FileSystem::Stat(const std::string& path, struct stat& st)
{
    return ::stat(path.c_str(), &st);
}
int FileSystem::Lstat(const std::string& path, struct stat& st)
{
    return ::lstat(path.c_str(), &st);
}

bool FileSystem::RealPath(const std::string& path, std::string& resolved)
{
    char* result = ::realpath(path.c_str(), nullptr);
    if (!result)
        return false;
    resolved = result;
    std::free(result);
    return true;
}

int FileSystem::MakeTemp(std::string& pathTemplate)
{
    // mkstemp opens with O_EXCL and mode 0600.
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}

int FileSystem::Open(const std::string& path, int flags, mode_t mode)
{
    return ::open(path.c_str(), flags | O_CLOEXEC, mode);
}

ssize_t FileSystem::Write(int fd, const char* data, std::size_t size)
{
    return ::write(fd, data, size);
}
int FileSystem::Fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}
int FileSystem::Fchown(int fd, uid_t uid, gid_t gid)
{
    return ::fchown(fd, uid, gid);
}
int FileSystem::Fsync(int fd)
{
    return ::fsync(fd);
}
int FileSystem::Close(int fd)
{
    return ::close(fd);
}
int FileSystem::Link(const std::string& from, const std::string& to)
{
    return ::link(from.c_str(), to.c_str());
}

int FileSystem::RenameNoReplace(const std::string& from, const std::string& to)
{
    const int result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result == 0 || (errno != EINVAL && errno != ENOSYS))
        return result;
    // The file system cannot rename without replacing: test first instead.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

int FileSystem::Rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}
int FileSystem::Unlink(const std::string& path)
{
    return ::unlink(path.c_str());
}

void FileSystem::SyncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: some file systems cannot sync a directory
    ::close(fd);
}

FileSystem& FileSystem::Posix()
{
    static FileSystem instance;
    return instance;
}
