#include "platform/FileErrors.h"

#include <cerrno>
#include <cstring>

namespace {

FileErrorCause causeFromErrno(int error)
{
    switch (error) {
    case 0:
        return FileErrorCause::None;
    case ENOENT:
        return FileErrorCause::FileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: // a folder standing where the file should be
        return FileErrorCause::AccessDenied;
    case EMFILE:
    case ENFILE:
        return FileErrorCause::TooManyOpenFiles;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return FileErrorCause::DiskFull;
    case EIO:
        return FileErrorCause::HardIO;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return FileErrorCause::BadPath;
    case EBADF:
        return FileErrorCause::InvalidFile;
    case ESPIPE:
        return FileErrorCause::BadSeek;
    case ETXTBSY:
    case EBUSY:
        return FileErrorCause::SharingViolation;
    case EDEADLK:
    case ENOLCK:
        return FileErrorCause::LockViolation;
    default:
        return FileErrorCause::Unspecified;
    }
}

std::string describeFileError(FileErrorCause cause, const std::string& f)
{
    switch (cause) {
    case FileErrorCause::None:
        return "No error occurred.";
    case FileErrorCause::Unspecified:
        return "An unknown error occurred while accessing " + f + ".";
    case FileErrorCause::FileNotFound:
        return f + " was not found.";
    case FileErrorCause::BadPath:
        return f + " contains an invalid path.";
    case FileErrorCause::TooManyOpenFiles:
        return f + " could not be opened because there are too many open files.";
    case FileErrorCause::AccessDenied:
        return "Access to " + f + " was denied.";
    case FileErrorCause::InvalidFile:
        return "An invalid file handle was associated with " + f + ".";
    case FileErrorCause::RemoveCurrentDir:
        return f + " could not be removed because it is the current directory.";
    case FileErrorCause::DirectoryFull:
        return f + " could not be created because the directory is full.";
    case FileErrorCause::BadSeek:
        return "Seek failed on " + f;
    case FileErrorCause::HardIO:
        return "A hardware I/O error was reported while accessing " + f + ".";
    case FileErrorCause::SharingViolation:
        return "A sharing violation occurred while accessing " + f + ".";
    case FileErrorCause::LockViolation:
        return "A locking violation occurred while accessing " + f + ".";
    case FileErrorCause::DiskFull:
        return "Disk full while accessing " + f + ".";
    case FileErrorCause::EndOfFile:
        return "An attempt was made to access " + f + " past its end.";
    case FileErrorCause::NotRegularFile:
        return f + " is not a regular file.";
    }
    return "An unknown error occurred while accessing " + f + ".";
}

} // namespace

std::string fileErrorMessage(FileErrorCause cause, const std::string& fileName)
{
    std::string description = describeFileError(cause, fileName);
    if (description.size() > 254)
        description.resize(254);
    return "File could not be opened: " + description;
}

std::string fileErrorMessage(int error, const std::string& fileName)
{
    if (error == ENOMEM)
        return "File could not be opened: Out of memory.";
    const FileErrorCause cause = causeFromErrno(error);
    if (cause != FileErrorCause::Unspecified)
        return fileErrorMessage(cause, fileName);
    // No cause of ours fits: the system's own words name it.
    std::string description =
        "An unknown error occurred while accessing " + fileName + " (" + std::strerror(error) + ").";
    if (description.size() > 254)
        description.resize(254);
    return "File could not be opened: " + description;
}
