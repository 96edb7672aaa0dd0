#include "platform/InPlaceSave.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"
#include "platform/FileErrors.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"
#include "platform/SaveMessages.h"

namespace {

// The recovery files of one file are named after its device and inode,
// which stay the same while it is written in place.
std::string recoveryStem(const struct stat& st)
{
    return std::to_string(static_cast<unsigned long long>(st.st_dev)) + "-" +
           std::to_string(static_cast<unsigned long long>(st.st_ino));
}

bool reserveUnsupported(int error)
{
    return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

std::string staleRecoveryNote()
{
    return "\nThe recovery files of this save could not be removed from " + recoveryDirectory() + ".";
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

bool InPlaceSave::create(const std::string& target, const std::string& content, std::string& message)
{
    FileDescriptor file(m_fs, m_fs.open(target, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666));
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

bool InPlaceSave::overwrite(const std::string& target, const std::string& content, std::string& message)
{
    FileDescriptor file(m_fs, m_fs.open(target, O_RDWR | O_NONBLOCK | O_NOCTTY, 0));
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
    const std::string leftoverNote = incompleteBackupNote(leftover);

    std::string copyPath, markerPath;
    bool stale = false;
    if (!writeRecoveryCopy(st, target, old, copyPath, markerPath, stale)) {
        message = fileErrorMessage(errno, copyPath) + leftoverNote;
        if (stale)
            message += staleRecoveryNote();
        return false;
    }
    // The marker goes first: without it the copy is only a stale file.
    const auto endRecovery = [&] {
        const bool removed = m_fs.unlink(markerPath) == 0;
        return m_fs.unlink(copyPath) == 0 && removed ? std::string() : staleRecoveryNote();
    };

    int error = 0;
    if (writeOver(file.get(), content, error)) {
        file.close(); // the bytes are synced: a failing close loses nothing
        const std::string stale = endRecovery();
        message = savedMessage(target, backupName) + leftoverNote + stale;
        return true;
    }
    int restoreError = 0;
    if (writeOver(file.get(), old, restoreError) || [&] {
            // Through a fresh descriptor, should this one be the trouble.
            FileDescriptor again(m_fs, m_fs.open(target, O_WRONLY | O_NONBLOCK | O_NOCTTY, 0));
            int ignored = 0;
            return again && writeOver(again.get(), old, ignored) && again.close() == 0;
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
bool InPlaceSave::writeRecoveryCopy(const struct stat& st, const std::string& target, const std::string& old,
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

bool InPlaceSave::writeOver(int fd, const std::string& bytes, int& error)
{
    const bool written =
        writeAllAt(m_fs, fd, bytes) && m_fs.truncate(fd, static_cast<off_t>(bytes.size())) == 0 && m_fs.fsync(fd) == 0;
    if (!written && error == 0)
        error = errno;
    return written;
}
