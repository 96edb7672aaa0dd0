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

std::string staleRecoveryNote(const std::string& folder)
{
    return "\nThe recovery files of this save could not be removed from " + folder + ".";
}

// No temporary file could be made beside the file, and no copy of its old
// bytes kept anywhere (the last try failed on failedPath): the file is left
// as it is.
std::string noRecoveryMessage(const std::string& target, const std::string& failedPath, int error)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
    std::string folders;
    const std::vector<std::string> candidates = recoveryDirectories();
    for (std::size_t i = 0; i < candidates.size(); ++i)
        folders += (i == 0 ? "" : i + 1 == candidates.size() ? " or " : ", ") + candidates[i];
    return fileErrorMessage(error, failedPath) + "\nThe folder " + folder + " of " + target +
           " is read-only, so the file would have to be written in place, and no recovery copy of its old content "
           "could be kept in " +
           folders +
           ". The file stays as it was. Make its folder writable, or set XDG_STATE_HOME to a folder you "
           "may write.";
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

std::vector<std::string> recoveryDirectories()
{
    std::vector<std::string> folders;
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        folders.push_back(std::string(state) + "/quarvel/recovery");
    const char* home = std::getenv("HOME");
    if (home && *home == '/')
        folders.push_back(std::string(home) + "/.local/state/quarvel/recovery");
    folders.push_back("/var/tmp/quarvel-" + std::to_string(::geteuid()) + "/recovery");
    return folders;
}

std::string recoveryDirectory()
{
    return recoveryDirectories().front();
}

namespace {

// The marker of an interrupted save of the file st, in any of the folders.
std::string interruptedSaveStem(const struct stat& st)
{
    for (const std::string& folder : recoveryDirectories()) {
        const std::string stem = folder + "/" + recoveryStem(st);
        struct stat marker;
        if (::stat((stem + ".saving").c_str(), &marker) == 0)
            return stem;
    }
    return std::string();
}

} // namespace

std::string interruptedSaveNote(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::string();
    const std::string stem = interruptedSaveStem(st);
    if (stem.empty())
        return std::string();
    return "A save of " + path +
           " was interrupted while it wrote the file; it may be incomplete. The old content is in " + stem + ".old.";
}

bool discardInterruptedSave(const std::string& path, std::string& message)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return true;
    for (std::string stem; !(stem = interruptedSaveStem(st)).empty();) {
        // The marker first: without it the copy is only a stale file.
        for (const char* suffix : {".saving", ".old"})
            if (::unlink((stem + suffix).c_str()) != 0 && errno != ENOENT)
                return fail(message, errno, stem + suffix);
    }
    return true;
}

bool InPlaceSave::create(const std::string& target, const std::string& content, std::string& message)
{
    FileDescriptor file(m_fs, m_fs.open(target, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666));
    if (!file && errno == ENOENT) { // a file is created where it is missing: its folder is
        message = missingFolderMessage(target);
        return false;
    }
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
    if (m_options.backup) // a failed backup is no error
        backupExistingFile(m_fs, target, backupName, &old, &leftover, m_options.keepBackups);
    const std::string leftoverNote = incompleteBackupNote(leftover);

    std::string copyPath, markerPath;
    bool stale = false;
    if (!writeRecoveryCopy(st, target, old, copyPath, markerPath, stale)) {
        message =
            (m_noRecoveryFolder ? noRecoveryMessage(target, copyPath, errno) : fileErrorMessage(errno, copyPath)) +
            leftoverNote;
        if (stale)
            message += staleRecoveryNote(m_recoveryFolder);
        return false;
    }
    // The marker goes first: without it the copy is only a stale file.
    const auto endRecovery = [&] {
        const bool removed = m_fs.unlink(markerPath) == 0;
        return m_fs.unlink(copyPath) == 0 && removed ? std::string() : staleRecoveryNote(m_recoveryFolder);
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

// Makes folder as mkdir -p does. The folder under /var/tmp, where anyone
// may make files, must be a real folder of this user's alone.
bool InPlaceSave::makeRecoveryFolder(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (m_fs.makeDirectory(part, 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    if (folder.rfind("/var/tmp/", 0) != 0)
        return true;
    const std::string own = folder.substr(0, folder.rfind('/'));
    struct stat st;
    if (m_fs.lstat(own, st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

// Writes the old bytes to the first recovery folder that can be made and
// syncs them, then the marker that names the file being written; both are
// synced, with their folder, before the caller changes the file. The copy
// goes where the folder is; a failure to write it there fails the save.
bool InPlaceSave::writeRecoveryCopy(const struct stat& st, const std::string& target, const std::string& old,
                                    std::string& copyPath, std::string& markerPath, bool& stale)
{
    stale = false;
    std::string folder;
    for (const std::string& candidate : recoveryDirectories()) {
        copyPath = candidate;
        if (makeRecoveryFolder(candidate)) {
            folder = candidate;
            break;
        }
    }
    if (folder.empty()) {
        m_noRecoveryFolder = true;
        return false;
    }
    m_recoveryFolder = folder;
    const std::string stem = folder + "/" + recoveryStem(st);
    copyPath = stem + ".old";
    markerPath = stem + ".saving";
    m_fs.unlink(markerPath);
    m_fs.unlink(copyPath);
    struct stat copyStat = st;
    copyStat.st_mode = 0600;
    copyStat.st_uid = ::geteuid();
    copyStat.st_gid = ::getegid();
    if (copyFile(m_fs, old, copyStat, copyPath) && copyFile(m_fs, target + "\n", copyStat, markerPath) &&
        m_fs.syncDirectory(folder) == 0)
        return true;
    const int error = errno;
    // A marker left behind would tell of a save that never touched the
    // file; the caller says so when either stays.
    const auto removed = [&](const std::string& name) { return m_fs.unlink(name) == 0 || errno == ENOENT; };
    const bool markerRemoved = removed(markerPath);
    stale = !removed(copyPath) || !markerRemoved;
    errno = error;
    return false;
}

bool InPlaceSave::writeOver(int fd, const std::string& bytes, int& error)
{
    const bool written =
        writeAllAt(m_fs, fd, bytes) && m_fs.truncate(fd, static_cast<off_t>(bytes.size())) == 0 && m_fs.fsync(fd) == 0;
    if (!written && error == 0)
        error = errno;
    return written;
}
