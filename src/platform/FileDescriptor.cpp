#include "platform/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>

#include "platform/FileSystem.h"

namespace {

// Writes all of bytes through write(data, size, offset), again after a
// signal; a write of nothing means the disk is full.
template <typename Write> bool writeEverything(std::string_view bytes, Write write)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(bytes.data() + done, bytes.size() - done, done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        m_fs.close(m_fd);
}

int FileDescriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return m_fs.close(fd);
}

bool writeAll(FileSystem& fs, int fd, std::string_view bytes)
{
    return writeEverything(bytes,
                           [&](const char* data, std::size_t size, std::size_t) { return fs.write(fd, data, size); });
}

bool writeAllAt(FileSystem& fs, int fd, std::string_view bytes)
{
    return writeEverything(bytes, [&](const char* data, std::size_t size, std::size_t offset) {
        return fs.writeAt(fd, data, size, static_cast<off_t>(offset));
    });
}

bool readAll(FileSystem& fs, int fd, std::string& bytes)
{
    char buffer[64 * 1024];
    bytes.clear();
    for (;;) {
        const ssize_t n = fs.readAt(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool copyFile(FileSystem& fs, const std::string& bytes, const struct stat& original, const std::string& name,
              std::string* leftover)
{
    FileDescriptor copy(fs, fs.open(name, O_WRONLY | O_CREAT | O_EXCL, 0600));
    if (!copy)
        return false;
    fs.fchown(copy.get(), original.st_uid, original.st_gid); // best effort: only root may give files away
    const bool written = writeAll(fs, copy.get(), bytes) && fs.fchmod(copy.get(), original.st_mode & 07777) == 0 &&
                         fs.fsync(copy.get()) == 0 && copy.close() == 0;
    if (!written) {
        const int error = errno;
        if (fs.unlink(name) != 0 && leftover)
            *leftover = name;
        errno = error;
    }
    return written;
}
