#pragma once

#include <string>

// Descriptions of file errors, by cause. %1 of each description is the file
// name as the caller passed it.
enum class FileErrorCause {
    None,
    Unspecified,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
};

FileErrorCause CauseFromErrno(int error);
std::string DescribeFileError(FileErrorCause cause, const std::string& fileName);

// "File could not be opened: <description>", the description cut at 254
// characters.
std::string FileErrorMessage(FileErrorCause cause, const std::string& fileName);
std::string FileErrorMessage(int error, const std::string& fileName);
