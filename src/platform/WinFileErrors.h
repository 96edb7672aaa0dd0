#pragma once

#include <string>

#include "platform/FileErrors.h"

// Windows' error codes (GetLastError) mapped onto the causes of file errors,
// so that a Windows user reads the same texts as everyone else.
FileErrorCause causeFromWindowsError(unsigned long error);

// "File could not be opened: <description>" for a Windows error code; a
// shortage of memory is described as "Out of memory.".
std::string windowsFileErrorMessage(unsigned long error, const std::string& fileName);
