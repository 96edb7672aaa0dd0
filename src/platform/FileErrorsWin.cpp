#include "platform/WinFileErrors.h"

#include <cerrno>
#include <windows.h>

FileErrorCause causeFromWindowsError(unsigned long error)
{
    switch (error) {
    case NO_ERROR:
        return FileErrorCause::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_OPEN_FAILED:
        return FileErrorCause::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_SAME_DEVICE:
    case ERROR_WRONG_DISK:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
        return FileErrorCause::BadPath;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_SHARING_BUFFER_EXCEEDED:
        return FileErrorCause::TooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_READ_ONLY:
        return FileErrorCause::AccessDenied;
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_FORMAT:
    case ERROR_NOT_DOS_DISK:
        return FileErrorCause::InvalidFile;
    case ERROR_CURRENT_DIRECTORY:
        return FileErrorCause::RemoveCurrentDir;
    case ERROR_CANNOT_MAKE:
    case ERROR_NO_SPOOL_SPACE:
        return FileErrorCause::DirectoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
        return FileErrorCause::BadSeek;
    case ERROR_BAD_UNIT:
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NET_WRITE_FAULT:
    case ERROR_IO_DEVICE:
        return FileErrorCause::HardIO;
    case ERROR_SHARING_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_BUSY:
        return FileErrorCause::SharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED:
        return FileErrorCause::LockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
        return FileErrorCause::DiskFull;
    case ERROR_HANDLE_EOF:
        return FileErrorCause::EndOfFile;
    default:
        return FileErrorCause::Unspecified;
    }
}

std::string windowsFileErrorMessage(unsigned long error, const std::string& fileName)
{
    if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY)
        return fileErrorMessage(ENOMEM, fileName);
    return fileErrorMessage(causeFromWindowsError(error), fileName);
}
