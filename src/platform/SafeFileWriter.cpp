#include "platform/SafeFileWriter.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/BackupNames.h"
#include "platform/FileDescriptor.h"
#include "platform/FileErrors.h"
#include "platform/FileSystem.h"
#include "platform/InPlaceSave.h"
#include "platform/SaveMessages.h"

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

} // namespace

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

namespace {

// The numbers of the backups of path that its folder holds.
std::vector<int> backupNumbers(FileSystem& fs, const BackupNames& names, const std::string& path)
{
    const std::string folder = directoryPart(path);
    std::vector<std::string> entries;
    std::vector<int> numbers;
    if (fs.listDirectory(folder.empty() ? std::string(".") : folder, entries) != 0)
        return numbers;
    for (const std::string& entry : entries)
        if (const int n = names.numberOf(folder + entry); n > 0)
            numbers.push_back(n);
    return numbers;
}

} // namespace

bool backupExistingFile(FileSystem& fs, const std::string& path, std::string& backupName, const std::string* copyOf,
                        std::string* leftover, int keep)
{
    bool linking = copyOf == nullptr;
    std::string bytes;
    struct stat original {};
    if (!linking && fs.stat(path, original) != 0)
        return false;
    const BackupNames names(path, BackupNames::Separators::Posix);
    const auto taken = [&fs](const std::string& name) { return exists(fs, name); };
    std::vector<int> present = backupNumbers(fs, names, path);
    // The new backup is made; the oldest beyond the cap go.
    const auto made = [&](const std::string& candidate, int n) {
        backupName = candidate;
        present.push_back(n);
        for (const int old : BackupNames::beyondKept(present, keep))
            fs.unlink(names.candidate(old));
        return true;
    };
    for (int n = BackupNames::nextNumber(present);; ++n) {
        const std::string candidate = names.nextFree(n, taken);
        if (candidate.empty())
            return false;
        if (linking) {
            if (fs.link(path, candidate) == 0)
                return made(candidate, n);
            if (errno == EEXIST)
                continue; // taken meanwhile: try the next name
            // No hard link here (no support, another owner, no inode left):
            // a copy keeps the same bytes.
            linking = false;
            FileDescriptor file(fs, fs.open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY, 0));
            if (!file || fs.fstat(file.get(), original) != 0 || !readAll(fs, file.get(), bytes))
                return false;
            copyOf = &bytes;
        }
        if (copyFile(fs, *copyOf, original, candidate, leftover))
            return made(candidate, n);
        if (errno != EEXIST)
            return false;
    }
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
        return InPlaceSave(m_fs, m_options)
            .overwrite(path, content.whole(),
                       message); // a link no name leads along (/proc/self/fd/...)
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
    FileDescriptor temp(m_fs, createTemporaryFile(m_fs, directory, fileName, existing ? 0600 : 0666, tempPath));
    if (!temp)
        return existing ? InPlaceSave(m_fs, m_options).overwrite(target, content.whole(), message)
                        : InPlaceSave(m_fs, m_options).create(target, content.whole(), message);
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
    message = savedMessage(target, backupName) + incompleteBackupNote(leftover);
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
    if (exists && m_options.backup) // a failed backup is no error
        backupExistingFile(m_fs, target, backupName, nullptr, &leftover, m_options.keepBackups);
    if (m_fs.rename(tempPath, target) != 0) {
        error = errno;
        return false;
    }
    return true;
}

// Devices are written as they are; there is nothing to replace or keep.
bool SafeFileWriter::writeDevice(const std::string& path, const std::string& content, std::string& message)
{
    // Non-blocking, so that a pipe put there meanwhile cannot hang the open.
    FileDescriptor device(m_fs, m_fs.open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY, 0));
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
