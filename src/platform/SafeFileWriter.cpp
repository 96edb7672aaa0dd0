#include "platform/SafeFileWriter.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/FileErrors.h"
#include "platform/FileSystem.h"
#include <string>

namespace {

constexpr char kSeparator = '/';
constexpr std::string_view kTemporaryPrefix = ".quarvel-save.";
// Leaves room for the prefix, the process id and the unique part within the
// 255 bytes a file name may have.
constexpr std::size_t kTemporaryFileNameCut = 128;
constexpr int kMaxSymbolicLinks = 40; // as the kernel allows

std::string directoryPart(const std::string& path)
{
    const std::size_t slash = path.rfind(kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool exists(FileSystem& fs, const std::string& path)
{
    struct stat st;
    return fs.lstat(path, st) == 0;
}

// A file descriptor that is closed when it goes out of scope. close() closes
// it early and reports the error, which matters after a write.
class Descriptor {
  public:
    Descriptor(FileSystem& fs, int fd) : m_fs(fs), m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            m_fs.close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    explicit operator bool() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return m_fs.close(fd);
    }

  private:
    FileSystem& m_fs;
    int m_fd;
};

// A temporary file that is removed unless it was renamed into place.
class TemporaryFile {
  public:
    TemporaryFile(FileSystem& fs, std::string path) : m_fs(fs), m_path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!m_path.empty())
            m_fs.unlink(m_path);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void release() { m_path.clear(); }

  private:
    FileSystem& m_fs;
    std::string m_path;
};

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

bool writeAll(FileSystem& fs, int fd, std::string_view bytes)
{
    return writeEverything(bytes,
                           [&](const char* data, std::size_t size, std::size_t) { return fs.write(fd, data, size); });
}

bool writeAllAt(FileSystem& fs, int fd, const std::string& bytes)
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

// Follows the symbolic links at the end of path to the name they end at,
// which need not exist. Folders on the way are left to the kernel.
bool resolveLinks(FileSystem& fs, const std::string& path, std::string& target, int& error)
{
    target = path;
    for (int hops = 0; hops <= kMaxSymbolicLinks; ++hops) {
        struct stat st;
        if (fs.lstat(target, st) != 0) {
            if (errno == ENOENT)
                return true;
            error = errno;
            return false;
        }
        if (!S_ISLNK(st.st_mode))
            return true;
        std::string link;
        if (fs.readLink(target, link) != 0) {
            error = errno;
            return false;
        }
        target = (!link.empty() && link.front() == kSeparator) ? link : directoryPart(target) + link;
    }
    error = ELOOP;
    return false;
}

bool processIsGone(long pid)
{
    return pid > 0 && pid <= INT_MAX && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

std::string uniquePart()
{
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    x ^= (counter.fetch_add(1) + 1) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 29;
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string unique;
    for (int i = 0; i < 6; ++i, x /= 62)
        unique += kDigits[x % 62];
    return unique;
}

// Creates a fresh temporary file for fileName in directory; -1 with errno
// when none can be made there.
int createTemporaryFile(FileSystem& fs, const std::string& directory, const std::string& fileName, mode_t mode,
                        std::string& tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = directory + temporaryFileName(fileName, ::getpid(), uniquePart());
        const int fd = fs.open(tempPath, O_RDWR | O_CREAT | O_EXCL, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The process id of a temporary file name made for fileName; 0 for any other
// name.
long temporaryFileOwner(std::string_view name, const std::string& fileName)
{
    if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix)
        return 0;
    name.remove_prefix(kTemporaryPrefix.size());
    long pid = 0;
    std::size_t digits = 0;
    while (digits < name.size() && digits < 10 && name[digits] >= '0' && name[digits] <= '9')
        pid = pid * 10 + (name[digits++] - '0');
    if (digits == 0 || name.size() < digits + 8 || name[digits] != '.' || name[digits + 7] != '.')
        return 0;
    name.remove_prefix(digits + 8);
    return name == std::string_view(fileName).substr(0, kTemporaryFileNameCut) ? pid : 0;
}

bool reserveUnsupported(int error)
{
    return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

bool fail(std::string& message, FileErrorCause cause, const std::string& path)
{
    message = fileErrorMessage(cause, path);
    return false;
}

bool fail(std::string& message, int error, const std::string& path)
{
    message = fileErrorMessage(error, path);
    return false;
}

std::string savedMessage(const std::string& path, const std::string& backupName)
{
    if (!backupName.empty())
        return "An old configuration file was found and renamed.\nNew configuration:\t" + path +
               "\nOld configuration:\t" + backupName + "\n";
    return "Configuration saved to file '" + path + "'.";
}

// The recovery files of one file are named after its device and inode,
// which stay the same while it is written in place.
std::string recoveryStem(const struct stat& st)
{
    return std::to_string(static_cast<unsigned long long>(st.st_dev)) + "-" +
           std::to_string(static_cast<unsigned long long>(st.st_ino));
}

std::string otherLinksNote(nlink_t others)
{
    return std::string(others == 1 ? "\nThe file had another hard link; it keeps the old configuration."
                                   : "\nThe file had other hard links; they keep the old configuration.");
}

std::string notDurableMessage(const std::string& path, int error)
{
    return "Configuration saved to file '" + path + "', but it may not survive a power loss: " + std::strerror(error) +
           ".";
}

// Writes bytes as a new file under name; nothing stays under it on failure,
// unless it cannot be removed: then leftover names it.
bool copyFile(FileSystem& fs, const std::string& bytes, const struct stat& original, const std::string& name,
              std::string* leftover = nullptr)
{
    Descriptor copy(fs, fs.open(name, O_WRONLY | O_CREAT | O_EXCL, 0600));
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

} // namespace

std::string recoveryDirectory()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/quarvel/recovery";
    const char* home = std::getenv("HOME");
    if (home && *home == '/')
        return std::string(home) + "/.local/state/quarvel/recovery";
    return std::string();
}

std::string interruptedSaveNote(const std::string& path)
{
    struct stat st;
    const std::string folder = recoveryDirectory();
    if (folder.empty() || ::stat(path.c_str(), &st) != 0)
        return std::string();
    const std::string stem = folder + "/" + recoveryStem(st);
    struct stat marker;
    if (::stat((stem + ".saving").c_str(), &marker) != 0)
        return std::string();
    return "A save of " + path +
           " was interrupted while it wrote the file; it may be incomplete. The old content is in " + stem + ".old.";
}
// The text to save: whole, or made piece by piece by a producer. Only the
// temporary file is written piece by piece; the other ways collect the
// pieces first (whole()).
class SafeFileWriter::Content {
  public:
    explicit Content(const std::string& text) : m_text(&text) {}
    explicit Content(const TextProducer& produce) : m_produce(&produce) {}

    const std::string& whole() const
    {
        if (!m_text) {
            (*m_produce)([this](std::string_view piece) {
                m_collected += piece;
                return true;
            });
            m_text = &m_collected;
        }
        return *m_text;
    }

    // Writes the text to fd at its current position; false with errno on
    // the first failing write.
    bool write(FileSystem& fs, int fd) const
    {
        if (m_text)
            return writeAll(fs, fd, *m_text);
        int error = 0;
        const bool written = (*m_produce)([&](std::string_view piece) {
            if (writeAll(fs, fd, piece))
                return true;
            error = errno;
            return false;
        });
        if (error)
            errno = error;
        return written && error == 0;
    }

  private:
    mutable const std::string* m_text = nullptr;
    const TextProducer* m_produce = nullptr;
    mutable std::string m_collected;
};

std::string backupCandidate(const std::string& path, int n)
{
    const std::size_t slash = path.rfind(kSeparator);
    const std::size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    const std::size_t baseEnd = (dot == std::string::npos || dot < fileStart) ? path.size() : dot;
    const std::string base = path.substr(0, baseEnd);
    return n <= 1 ? base + ".bak" : base + ".bk" + std::to_string(n);
}

bool backupExistingFile(FileSystem& fs, const std::string& path, std::string& backupName, const std::string* copyOf,
                        std::string* leftover)
{
    bool linking = copyOf == nullptr;
    std::string bytes;
    struct stat original {};
    if (!linking && fs.stat(path, original) != 0)
        return false;
    for (int n = 1; n < INT_MAX; ++n) {
        const std::string candidate = backupCandidate(path, n);
        if (exists(fs, candidate))
            continue;
        if (linking) {
            if (fs.link(path, candidate) == 0) {
                backupName = candidate;
                return true;
            }
            if (errno == EEXIST)
                continue; // taken meanwhile: try the next name
            // No hard link here (no support, another owner, no inode left):
            // a copy keeps the same bytes.
            linking = false;
            Descriptor file(fs, fs.open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY, 0));
            if (!file || fs.fstat(file.get(), original) != 0 || !readAll(fs, file.get(), bytes))
                return false;
            copyOf = &bytes;
        }
        if (copyFile(fs, *copyOf, original, candidate, leftover)) {
            backupName = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

std::string temporaryFileName(const std::string& fileName, long pid, const std::string& unique)
{
    return std::string(kTemporaryPrefix) + std::to_string(pid) + "." + unique + "." +
           fileName.substr(0, kTemporaryFileNameCut);
}

SafeFileWriter::SafeFileWriter() : m_fs(FileSystem::posix()) {}
SafeFileWriter::SafeFileWriter(FileSystem& fs) : m_fs(fs) {}

bool SafeFileWriter::save(const std::string& path, const std::string& content, std::string& message)
{
    try {
        return saveResolved(path, Content(content), message);
    } catch (const std::bad_alloc&) {
        message = fileErrorMessage(ENOMEM, path);
        return false;
    }
}

// Running out of memory while the pieces are made fails the save like a
// write error: the temporary file goes, the target stays as it was.
bool SafeFileWriter::save(const std::string& path, const TextProducer& produce, std::string& message)
{
    try {
        return saveResolved(path, Content(produce), message);
    } catch (const std::bad_alloc&) {
        message = fileErrorMessage(ENOMEM, path);
        return false;
    }
}

bool SafeFileWriter::saveResolved(const std::string& path, const Content& content, std::string& message)
{
    std::string target;
    int error = 0;
    struct stat existing;
    if (m_fs.stat(path, existing) != 0) {
        if (errno != ENOENT)
            return fail(message, errno, path);
        // Nothing there yet, perhaps behind a dangling link: create the file
        // where the links end.
        if (!resolveLinks(m_fs, path, target, error))
            return fail(message, error, path);
        return replace(target, nullptr, content, message);
    }
    if (S_ISDIR(existing.st_mode))
        return fail(message, EISDIR, path);
    if (S_ISCHR(existing.st_mode))
        return writeDevice(path, content.whole(), message);
    if (!S_ISREG(existing.st_mode))
        return fail(message, FileErrorCause::NotRegularFile, path);

    if (!resolveLinks(m_fs, path, target, error))
        return fail(message, error, path);
    struct stat resolved;
    if (m_fs.lstat(target, resolved) != 0 || resolved.st_dev != existing.st_dev || resolved.st_ino != existing.st_ino)
        return overwriteInPlace(path, content.whole(), message); // a link no name leads along (/proc/self/fd/...)
    return replace(target, &existing, content, message);
}

bool SafeFileWriter::replace(const std::string& target, const struct stat* existing, const Content& content,
                             std::string& message)
{
    const std::string directory = directoryPart(target);
    const std::string fileName = target.substr(directory.size());
    removeLeftovers(directory, fileName);

    // A new file gets the permission bits the umask leaves; a replacement
    // gets the old file's bits once it is written.
    std::string tempPath;
    Descriptor temp(m_fs, createTemporaryFile(m_fs, directory, fileName, existing ? 0600 : 0666, tempPath));
    if (!temp)
        return existing ? overwriteInPlace(target, content.whole(), message)
                        : createInPlace(target, content.whole(), message);
    TemporaryFile cleanup(m_fs, tempPath);

    int error = 0;
    if (!writeTemporaryFile(temp.get(), target, existing, content, error))
        return fail(message, error, target);
    if (temp.close() != 0)
        return fail(message, errno, target);

    std::string backupName, leftover;
    if (!moveIntoPlace(tempPath, target, existing != nullptr, backupName, leftover, error))
        return fail(message, error, target);
    cleanup.release();
    message = savedMessage(target, backupName);
    if (!leftover.empty())
        message += "\nThe backup " + leftover + " is incomplete and could not be removed.";
    // The new file is a new inode: other names of the old one keep it.
    if (existing && existing->st_nlink > 1)
        message += otherLinksNote(existing->st_nlink - 1);
    // Renamed, but the folder's entry may still be only in memory.
    const std::string folder = directory.empty() ? std::string(".") : directory;
    if (m_fs.syncDirectory(folder) != 0) {
        message = notDurableMessage(target, errno);
        return false;
    }
    return true;
}

// Writes the content and the old file's owner, permission bits and extended
// attributes; error is the system's reason of the call that failed.
bool SafeFileWriter::writeTemporaryFile(int fd, const std::string& target, const struct stat* existing,
                                        const Content& content, int& error)
{
    error = 0;
    bool written = content.write(m_fs, fd);
    if (written && existing) {
        m_fs.fchown(fd, existing->st_uid, existing->st_gid); // best effort: only root may give files away
        written = m_fs.fchmod(fd, existing->st_mode & 07777) == 0;
        // After the mode, so that an access list brings its own mask.
        if (written)
            m_fs.copyAttributes(target, fd);
    }
    written = written && m_fs.fsync(fd) == 0;
    if (!written)
        error = errno;
    return written;
}

// Keeps the old file as a backup and renames the written temporary file onto
// the target. The target holds the old file until the rename.
bool SafeFileWriter::moveIntoPlace(const std::string& tempPath, const std::string& target, bool exists,
                                   std::string& backupName, std::string& leftover, int& error)
{
    if (exists)
        backupExistingFile(m_fs, target, backupName, nullptr, &leftover); // a failed backup is no error
    if (m_fs.rename(tempPath, target) != 0) {
        error = errno;
        return false;
    }
    return true;
}

bool SafeFileWriter::createInPlace(const std::string& target, const std::string& content, std::string& message)
{
    Descriptor file(m_fs, m_fs.open(target, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666));
    if (!file)
        return fail(message, errno, target);
    if (!writeAll(m_fs, file.get(), content) || m_fs.fsync(file.get()) != 0 || file.close() != 0) {
        const int error = errno;
        m_fs.unlink(target); // we made it: no half file stays
        return fail(message, error, target);
    }
    message = savedMessage(target, std::string());
    return true;
}

// The old bytes are read before anything changes and written back on any
// failure, the backup is a copy (the file never leaves its path), and the
// space is reserved first so that a full disk fails before the first
// byte changes. A synced recovery copy outside the folder, with a marker,
// outlives a kill in the middle. Owner and permission bits stay the file's
// own.
bool SafeFileWriter::overwriteInPlace(const std::string& target, const std::string& content, std::string& message)
{
    Descriptor file(m_fs, m_fs.open(target, O_RDWR | O_NONBLOCK | O_NOCTTY, 0));
    if (!file)
        return fail(message, errno, target);
    struct stat st;
    if (m_fs.fstat(file.get(), st) != 0)
        return fail(message, errno, target);
    if (!S_ISREG(st.st_mode))
        return fail(message, FileErrorCause::NotRegularFile, target);
    std::string old;
    if (!readAll(m_fs, file.get(), old))
        return fail(message, errno, target);

    if (content.size() > old.size() && m_fs.reserve(file.get(), static_cast<off_t>(content.size())) != 0 &&
        !reserveUnsupported(errno))
        return fail(message, errno, target);

    // A hard link would change with the file written in place: only a copy
    // keeps the old bytes.
    std::string backupName, leftover;
    backupExistingFile(m_fs, target, backupName, &old, &leftover); // a failed backup is no error
    const std::string leftoverNote =
        leftover.empty() ? std::string() : "\nThe backup " + leftover + " is incomplete and could not be removed.";

    std::string copyPath, markerPath;
    bool stale = false;
    if (!writeRecoveryCopy(st, target, old, copyPath, markerPath, stale)) {
        message = fileErrorMessage(errno, copyPath) + leftoverNote;
        if (stale)
            message += "\nThe recovery files of this save could not be removed from " + recoveryDirectory() + ".";
        return false;
    }
    // The marker goes first: without it the copy is only a stale file.
    const auto endRecovery = [&] {
        const bool removed = m_fs.unlink(markerPath) == 0;
        if (m_fs.unlink(copyPath) == 0 && removed)
            return std::string();
        return "\nThe recovery files of this save could not be removed from " + recoveryDirectory() + ".";
    };

    int error = 0;
    if (overwrite(file.get(), content, error)) {
        file.close(); // the bytes are synced: a failing close loses nothing
        const std::string stale = endRecovery();
        message = savedMessage(target, backupName) + leftoverNote + stale;
        return true;
    }
    int restoreError = 0;
    if (overwrite(file.get(), old, restoreError) || [&] {
            // Through a fresh descriptor, should this one be the trouble.
            Descriptor again(m_fs, m_fs.open(target, O_WRONLY | O_NONBLOCK | O_NOCTTY, 0));
            int ignored = 0;
            return again && overwrite(again.get(), old, ignored) && again.close() == 0;
        }()) {
        const std::string stale = endRecovery();
        message = fileErrorMessage(error, target) + "\nThe old configuration was restored." + leftoverNote + stale;
        return false;
    }
    message = fileErrorMessage(error, target) + "\nThe file may be incomplete; the old content is in " + copyPath +
              "." + leftoverNote;
    return false;
}

// Writes the old bytes to the recovery folder and syncs them, then the
// marker that names the file being written; both are synced, with their
// folder, before the caller changes the file.
bool SafeFileWriter::writeRecoveryCopy(const struct stat& st, const std::string& target, const std::string& old,
                                       std::string& copyPath, std::string& markerPath, bool& stale)
{
    stale = false;
    const std::string folder = recoveryDirectory();
    copyPath = folder;
    if (folder.empty()) {
        errno = ENOENT;
        return false;
    }
    // Each part of the path, as mkdir -p makes it.
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (m_fs.makeDirectory(part, 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    const std::string stem = folder + "/" + recoveryStem(st);
    copyPath = stem + ".old";
    markerPath = stem + ".saving";
    m_fs.unlink(markerPath);
    m_fs.unlink(copyPath);
    struct stat copyStat = st;
    copyStat.st_mode = 0600;
    copyStat.st_uid = ::geteuid();
    copyStat.st_gid = ::getegid();
    if (!copyFile(m_fs, old, copyStat, copyPath) || !copyFile(m_fs, target + "\n", copyStat, markerPath) ||
        m_fs.syncDirectory(folder) != 0) {
        const int error = errno;
        // A marker left behind would tell of a save that never touched the
        // file; the caller says so when either stays.
        const auto removed = [&](const std::string& name) { return m_fs.unlink(name) == 0 || errno == ENOENT; };
        const bool markerRemoved = removed(markerPath);
        stale = !removed(copyPath) || !markerRemoved;
        errno = error;
        return false;
    }
    return true;
}

bool SafeFileWriter::overwrite(int fd, const std::string& bytes, int& error)
{
    const bool written =
        writeAllAt(m_fs, fd, bytes) && m_fs.truncate(fd, static_cast<off_t>(bytes.size())) == 0 && m_fs.fsync(fd) == 0;
    if (!written && error == 0)
        error = errno;
    return written;
}

// Devices are written as they are; there is nothing to replace or keep.
bool SafeFileWriter::writeDevice(const std::string& path, const std::string& content, std::string& message)
{
    // Non-blocking, so that a pipe put there meanwhile cannot hang the open.
    Descriptor device(m_fs, m_fs.open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY, 0));
    if (!device)
        return fail(message, errno, path);
    struct stat st;
    if (m_fs.fstat(device.get(), st) != 0)
        return fail(message, errno, path);
    if (!S_ISCHR(st.st_mode))
        return fail(message, FileErrorCause::NotRegularFile, path);
    const int flags = ::fcntl(device.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(device.get(), F_SETFL, flags & ~O_NONBLOCK);
    if (!writeAll(m_fs, device.get(), content) || device.close() != 0)
        return fail(message, errno, path);
    message = savedMessage(path, std::string());
    return true;
}

// Removes the temporary files a killed save of the same file left behind.
// A file whose process still runs belongs to a save in progress and stays.
void SafeFileWriter::removeLeftovers(const std::string& directory, const std::string& fileName)
{
    std::vector<std::string> names;
    if (m_fs.listDirectory(directory.empty() ? std::string(".") : directory, names) != 0)
        return;
    const long self = ::getpid();
    for (const std::string& name : names) {
        const long pid = temporaryFileOwner(name, fileName);
        if (pid != 0 && pid != self && processIsGone(pid))
            m_fs.unlink(directory + name);
    }
}
