#pragma once

#include <string>

// Causes of file errors, each with its description. A platform maps its own
// error codes onto these causes so the user sees the same texts everywhere.
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
    // A pipe, socket or device where a configuration file was expected.
    NotRegularFile,
};

// "File could not be opened: <description>", the description naming fileName
// and cut at 254 characters.
std::string fileErrorMessage(FileErrorCause cause, const std::string& fileName);

// The same for an errno value; ENOMEM is described as "Out of memory.".
std::string fileErrorMessage(int error, const std::string& fileName);
