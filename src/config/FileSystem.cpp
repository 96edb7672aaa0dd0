#include "config/FileSystem.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

int FileSystem::Stat(const std::string& path, struct stat& st)
{
    return ::stat(path.c_str(), &st);
}
int FileSystem::Lstat(const std::string& path, struct stat& st)
{
    return ::lstat(path.c_str(), &st);
}

int FileSystem::ReadLink(const std::string& path, std::string& target)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0)
        return -1;
    if (static_cast<std::size_t>(length) == sizeof buffer) {
        errno = ENAMETOOLONG;
        return -1;
    }
    target.assign(buffer, static_cast<std::size_t>(length));
    return 0;
}

int FileSystem::Open(const std::string& path, int flags, mode_t mode)
{
    return ::open(path.c_str(), flags | O_CLOEXEC, mode);
}
int FileSystem::Fstat(int fd, struct stat& st)
{
    return ::fstat(fd, &st);
}
ssize_t FileSystem::ReadAt(int fd, char* data, std::size_t size, off_t offset)
{
    return ::pread(fd, data, size, offset);
}
ssize_t FileSystem::Write(int fd, const char* data, std::size_t size)
{
    return ::write(fd, data, size);
}
ssize_t FileSystem::WriteAt(int fd, const char* data, std::size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}
int FileSystem::Truncate(int fd, off_t size)
{
    return ::ftruncate(fd, size);
}
int FileSystem::Reserve(int fd, off_t size)
{
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size);
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
int FileSystem::Rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}
int FileSystem::Unlink(const std::string& path)
{
    return ::unlink(path.c_str());
}

int FileSystem::ListDirectory(const std::string& directory, std::vector<std::string>& names)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
    if (!dir)
        return -1;
    while (const dirent* entry = ::readdir(dir.get()))
        names.emplace_back(entry->d_name);
    return 0;
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
