#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/xattr.h>
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
int FileSystem::copyAttributes(const std::string& from, int fd)
{
    std::vector<char> names(4096);
    ssize_t length;
    while ((length = ::listxattr(from.c_str(), names.data(), names.size())) < 0 && errno == ERANGE)
        names.resize(names.size() * 2);
    if (length <= 0)
        return 0; // none, or a file system without them
    int missed = 0;
    std::vector<char> value(4096);
    for (const char* name = names.data(); name < names.data() + length; name += std::strlen(name) + 1) {
        ssize_t size;
        while ((size = ::getxattr(from.c_str(), name, value.data(), value.size())) < 0 && errno == ERANGE)
            value.resize(value.size() * 2);
        if (size < 0 || ::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(size), 0) != 0)
            ++missed;
    }
    return missed;
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

int FileSystem::makeDirectory(const std::string& path, mode_t mode)
{
    return ::mkdir(path.c_str(), mode);
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

int FileSystem::syncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES ? 0 : -1; // a folder we may not read cannot be synced by us at all
    const int result = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS ? 0 : -1;
    const int error = errno;
    ::close(fd);
    errno = error;
    return result;
}

FileSystem& FileSystem::posix()
{
    static FileSystem instance;
    return instance;
}
