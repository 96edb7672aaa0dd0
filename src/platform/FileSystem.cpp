#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

int FileSystem::stat(const std::string& path, struct stat& st)
{
    return ::stat(path.c_str(), &st);
}
int FileSystem::lstat(const std::string& path, struct stat& st)
{
    return ::lstat(path.c_str(), &st);
}

int FileSystem::readLink(const std::string& path, std::string& target)
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

int FileSystem::open(const std::string& path, int flags, mode_t mode)
{
    return ::open(path.c_str(), flags | O_CLOEXEC, mode);
}
int FileSystem::fstat(int fd, struct stat& st)
{
    return ::fstat(fd, &st);
}
ssize_t FileSystem::readAt(int fd, char* data, std::size_t size, off_t offset)
{
    return ::pread(fd, data, size, offset);
}
ssize_t FileSystem::write(int fd, const char* data, std::size_t size)
{
    return ::write(fd, data, size);
}
ssize_t FileSystem::writeAt(int fd, const char* data, std::size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}
int FileSystem::truncate(int fd, off_t size)
{
    return ::ftruncate(fd, size);
}
int FileSystem::reserve(int fd, off_t size)
{
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size);
}
int FileSystem::fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}
int FileSystem::fchown(int fd, uid_t uid, gid_t gid)
{
    return ::fchown(fd, uid, gid);
}
int FileSystem::fsync(int fd)
{
    return ::fsync(fd);
}
int FileSystem::close(int fd)
{
    return ::close(fd);
}
int FileSystem::link(const std::string& from, const std::string& to)
{
    return ::link(from.c_str(), to.c_str());
}
int FileSystem::rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}
int FileSystem::unlink(const std::string& path)
{
    return ::unlink(path.c_str());
}

int FileSystem::listDirectory(const std::string& directory, std::vector<std::string>& names)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
    if (!dir)
        return -1;
    while (const dirent* entry = ::readdir(dir.get()))
        names.emplace_back(entry->d_name);
    return 0;
}

void FileSystem::syncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: some file systems cannot sync a directory
    ::close(fd);
}

FileSystem& FileSystem::posix()
{
    static FileSystem instance;
    return instance;
}
