#include "platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileErrors.h"
#include "platform/FileLockWait.h"
#include "platform/SaveMessages.h"

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A file system that keeps no locks: writers go on as they would without.
bool locksUnsupported(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == EINVAL;
}

} // namespace

FileLock::~FileLock()
{
    release();
}

void FileLock::release()
{
    if (m_handle != kNone)
        ::close(static_cast<int>(m_handle)); // ends the lock
    m_handle = kNone;
}

bool FileLock::acquire(const std::string& path, std::chrono::milliseconds wait, std::string& message)
{
    release();
    LockPoll poll(wait);
    for (;;) {
        // The file itself, or its folder while there is no file yet.
        struct stat named;
        const bool exists = ::stat(path.c_str(), &named) == 0;
        if (!exists && errno != ENOENT) {
            message = fileErrorMessage(errno, path);
            return false;
        }
        if (exists && !S_ISREG(named.st_mode))
            return true; // a device or the like: there is no file to replace
        const std::string locked = exists ? path : folderOf(path);
        const int fd =
            ::open(locked.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (exists ? 0 : O_DIRECTORY));
        // Nothing that can be opened to lock (no such folder, no right to
        // read): the writer reports what stands in its way.
        if (fd < 0 && !(exists && errno == ENOENT))
            return true;
        // Renamed or removed meanwhile: look again.
        if (fd < 0 && !poll.pause())
            break;
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (locksUnsupported(error))
                return true;
            if (error != EWOULDBLOCK && error != EINTR) {
                message = fileErrorMessage(error, locked);
                return false;
            }
            if (!poll.pause())
                break;
            continue;
        }
        // Locked: but a writer may have renamed a new file over the path (or
        // made the file) between the look and the lock.
        struct stat held, now;
        const bool current = ::fstat(fd, &held) == 0 && (exists ? ::stat(path.c_str(), &now) == 0 && sameFile(held, now)
                                                                : ::stat(path.c_str(), &now) != 0 && errno == ENOENT);
        if (current) {
            m_handle = fd;
            return true;
        }
        ::close(fd);
        if (!poll.pause())
            break;
    }
    message = lockBusyMessage(path, static_cast<int>((wait.count() + 999) / 1000));
    return false;
}
