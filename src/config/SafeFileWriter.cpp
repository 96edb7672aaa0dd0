#include "config/SafeFileWriter.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/FileErrors.h"
#include "config/FileSystem.h"
#include "config/NumberText.h"

namespace {

constexpr char kSeparator = '/';

std::string DirectoryPart(const std::string& path)
{
    const std::size_t slash = path.rfind(kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool Exists(FileSystem& fs, const std::string& path)
{
    struct stat st;
    return fs.Lstat(path, st) == 0;
}

mode_t DefaultFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string BackupCandidate(const std::string& path, int n)
{
    const std::size_t slash = path.rfind(kSeparator);
    const std::size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    const std::size_t baseEnd = (dot == std::string::npos || dot < fileStart) ? path.size() : dot;
    const std::string base = path.substr(0, baseEnd);
    return n <= 1 ? base + ".bak" : base + ".bk" + FormatInteger(n);
}

bool BackupExistingFile(FileSystem& fs, const std::string& path, std::string& backupName, bool link)
{
    for (int n = 1; n < INT_MAX; ++n) {
        const std::string candidate = BackupCandidate(path, n);
        if (Exists(fs, candidate))
            continue;
        if (link) {
            if (fs.Link(path, candidate) == 0) {
                backupName = candidate;
                return true;
            }
            if (errno == EEXIST)
                continue; // taken meanwhile: try the next name
            if (errno != EPERM && errno != ENOTSUP && errno != EXDEV && errno != EMLINK && errno != ENOSYS)
                return false;
            // No hard links here: rename as the rule originally says.
        }
        if (fs.RenameNoReplace(path, candidate) == 0) {
            backupName = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

SafeFileWriter::SafeFileWriter() : m_fs(FileSystem::Posix()) {}
SafeFileWriter::SafeFileWriter(FileSystem& fs) : m_fs(fs) {}

std::string SafeFileWriter::SavedMessage(const std::string& path, const std::string& backupName)
{
    if (!backupName.empty())
        return "An old configuration file was found and renamed.\nNew configuration:\t" + path +
               "\nOld configuration:\t" + backupName + "\n";
    return "Configuration saved to file '" + path + "'.";
}

bool SafeFileWriter::WriteContent(int fd, const ContentSource& content)
{
    return content([this, fd](std::string_view piece) { return WriteAll(fd, piece); });
}

bool SafeFileWriter::WriteAll(int fd, std::string_view content)
{
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = m_fs.Write(fd, content.data() + done, content.size() - done);
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

bool SafeFileWriter::Save(const std::string& path, const std::string& content, std::string& message)
{
    return Save(
        path, [&content](const std::function<bool(std::string_view)>& write) { return write(content); }, message);
}

bool SafeFileWriter::Save(const std::string& path, const ContentSource& content, std::string& message)
{
    struct stat existing;
    const bool exists = m_fs.Stat(path, existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        message = FileErrorMessage(EISDIR, path);
        return false;
    }
    // Devices and pipes are written as they are; there is nothing to replace.
    if (exists && !S_ISREG(existing.st_mode))
        return SaveInPlace(path, false, content, message);

    // Behind a symbolic link, replace the file it points to, in its folder.
    std::string target = path;
    struct stat link;
    if (m_fs.Lstat(path, link) == 0 && S_ISLNK(link.st_mode)) {
        if (!exists || !m_fs.RealPath(path, target))
            return SaveInPlace(path, false, content, message);
    }

    const std::string directory = DirectoryPart(target);
    std::string tempPath = directory + ".quarvel-save.XXXXXX";
    const int fd = m_fs.MakeTemp(tempPath);
    if (fd < 0)
        return SaveInPlace(path, exists, content, message);

    auto fail = [&](int error, bool diskFull) {
        m_fs.Unlink(tempPath);
        message = diskFull ? FileErrorMessage(FileErrorCause::DiskFull, path) : FileErrorMessage(error, path);
        return false;
    };

    const bool written = WriteContent(fd, content);
    int error = errno;
    if (!written) {
        m_fs.Close(fd);
        return fail(error, true);
    }
    if (exists)
        m_fs.Fchown(fd, existing.st_uid, existing.st_gid); // best effort: only root may give files away
    if (m_fs.Fchmod(fd, exists ? (existing.st_mode & 07777) : DefaultFileMode()) != 0) {
        error = errno;
        m_fs.Close(fd);
        return fail(error, false);
    }
    if (m_fs.Fsync(fd) != 0) {
        m_fs.Close(fd);
        return fail(0, true);
    }
    if (m_fs.Close(fd) != 0)
        return fail(0, true);

    std::string backupName;
    bool movedAway = false;
    if (exists) {
        BackupExistingFile(m_fs, target, backupName, true);
        movedAway = !backupName.empty() && !Exists(m_fs, target);
    }

    if (m_fs.Rename(tempPath, target) != 0) {
        error = errno;
        if (movedAway)
            m_fs.RenameNoReplace(backupName, target); // put the old file back
        return fail(error, false);
    }
    m_fs.SyncDirectory(directory.empty() ? std::string(".") : directory);
    message = SavedMessage(path, backupName);
    return true;
}

bool SafeFileWriter::SaveInPlace(const std::string& path, bool backup, const ContentSource& content,
                                 std::string& message)
{
    std::string backupName;
    if (backup)
        BackupExistingFile(m_fs, path, backupName, false);

    const int fd = m_fs.Open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        message = FileErrorMessage(errno, path);
        return false;
    }
    const bool written = WriteContent(fd, content);
    const bool closed = m_fs.Close(fd) == 0;
    if (!written || !closed) {
        message = FileErrorMessage(FileErrorCause::DiskFull, path);
        return false;
    }
    message = SavedMessage(path, backupName);
    return true;
}
