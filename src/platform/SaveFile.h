#pragma once

#include <functional>
#include <string>
#include <string_view>

// Makes a text by handing its pieces, in order, to write; false when write
// refused a piece (nothing more is made then) or the text could not be made.
using TextProducer = std::function<bool(const std::function<bool(std::string_view piece)>& write)>;

// How a save keeps the file it replaces.
struct SaveOptions {
    bool backup = true;   // keep the old file under a backup name (BackupNames)
    int keepBackups = 10; // then remove the oldest numbered backups beyond this many; 0 keeps all
};

// Saves text as the file at path so that the path always holds either the
// complete old file or the complete new one, keeping a backup of the old
// (SafeFileWriter on Linux, WinSafeFileWriter on Windows). False with the
// user's text of the cause in message.
bool saveFile(const std::string& path, const std::string& text, std::string& message, const SaveOptions& options = {});

// The same for a text made piece by piece, so that it need not be held whole
// where the file is written through a temporary file.
bool saveFile(const std::string& path, const TextProducer& produce, std::string& message,
              const SaveOptions& options = {});
