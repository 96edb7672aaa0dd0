#pragma once

#include <string>

// Saves text as the file at path so that the path always holds either the
// complete old file or the complete new one, keeping a backup of the old
// (SafeFileWriter on Linux, WinSafeFileWriter on Windows). False with the
// user's text of the cause in message.
bool saveFile(const std::string& path, const std::string& text, std::string& message);
