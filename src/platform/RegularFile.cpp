#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/FileErrors.h"
#include "platform/ReadChunks.h"

namespace {

// The character device that reads as an empty file.
bool isNullDevice(const struct stat& st)
{
    return S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3);
}

struct DescriptorCloser {
    void operator()(const int* fd) const { ::close(*fd); }
};

bool fail(std::string& message, int error, const std::string& path)
{
    message = fileErrorMessage(error, path);
    return false;
}

} // namespace

// Only regular files are read: a pipe or a device may block or never end,
// and opening some devices has effects of its own. /dev/null reads as an
// empty file.
bool readRegularFile(const std::string& path, std::string& message, std::size_t chunkSize,
                     const std::function<void(std::string_view chunk)>& consume)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return fail(message, errno, path);
    if (S_ISDIR(st.st_mode))
        return fail(message, EISDIR, path);
    if (isNullDevice(st))
        return true;
    if (!S_ISREG(st.st_mode)) {
        message = fileErrorMessage(FileErrorCause::NotRegularFile, path);
        return false;
    }
    // Non-blocking, so that a pipe put there meanwhile cannot hang the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fail(message, errno, path);
    const std::unique_ptr<int, DescriptorCloser> closer(&fd);
    if (::fstat(fd, &st) != 0)
        return fail(message, errno, path);
    if (!S_ISREG(st.st_mode)) {
        message = fileErrorMessage(FileErrorCause::NotRegularFile, path);
        return false;
    }
    // No more than the file held when it was opened: a file that grows
    // while it is read (a log, a process appending) still ends.
    auto left = static_cast<unsigned long long>(st.st_size);
    const auto read = [fd, &left](char* buffer, std::size_t size) -> long long {
        ssize_t got;
        while ((got = ::read(fd, buffer, static_cast<std::size_t>(std::min<unsigned long long>(size, left)))) < 0 &&
               errno == EINTR) {
        }
        if (got > 0)
            left -= static_cast<unsigned long long>(got);
        return got;
    };
    if (!readChunks(read, chunkSize == 0 ? 1 : chunkSize, consume))
        return fail(message, errno, path);
    return true;
}
