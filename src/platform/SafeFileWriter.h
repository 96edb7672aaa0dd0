#pragma once

#include <string>
#include <sys/stat.h>

#include "platform/InPlaceSave.h" // recoveryDirectory, interruptedSaveNote
#include "platform/SaveFile.h"

class FileSystem;

// Keeps the file at path under the first free backup name (BackupNames).
// With copyOf, the backup is a new file with those bytes (for a file about to be written in
// place, which would change a hard link too); without, it is a hard link,
// or a copy where the file system refuses one. The live file is never moved
// away, so the path never goes missing. Sets backupName on success.
// A copy that failed halfway and could not be removed is named in leftover.
// With keep above 0, the oldest numbered backups beyond keep are removed
// once the new one is made.
bool backupExistingFile(FileSystem& fs, const std::string& path, std::string& backupName,
                        const std::string* copyOf = nullptr, std::string* leftover = nullptr, int keep = 0);

// Temporary files of a save are named ".quarvel-save.<pid>.<unique>.<file>"
// beside their target. This is the name for one of them.
std::string temporaryFileName(const std::string& fileName, long pid, const std::string& unique);

// Saves a configuration text so that the path always holds either the
// complete old file or the complete new one. Symbolic links are followed: the
// file they end at is the one replaced, backed up and named in the message.
//
// Normally the text goes to a temporary file in the target's folder, the old
// file is kept as a backup, and the temporary file is renamed onto the
// target. Only when no temporary file can be made there does it write in
// place (InPlaceSave: the old bytes kept aside and written back on any
// failure; its message then says what the file holds). Character devices
// (/dev/null, /dev/full) are written as they are; pipes, sockets and block
// devices are refused.
class SafeFileWriter {
  public:
    SafeFileWriter();
    explicit SafeFileWriter(FileSystem& fs);

    // Whether and how many backups are kept; by default as SaveOptions says.
    void setOptions(const SaveOptions& options) { m_options = options; }

    // Never throws: running out of memory is a failed save like any other.
    bool save(const std::string& path, const std::string& content, std::string& message);

    // The same for a text made piece by piece: the temporary file gets each
    // piece as it comes, so the text is never held whole. The rare paths
    // that write in place or to a device collect it first.
    bool save(const std::string& path, const TextProducer& produce, std::string& message);

  private:
    class Content;
    bool saveResolved(const std::string& path, const Content& content, std::string& message);
    bool replace(const std::string& target, const struct stat* existing, const Content& content, std::string& message);
    bool writeTemporaryFile(int fd, const std::string& target, const struct stat* existing, const Content& content,
                            int& error);
    bool moveIntoPlace(const std::string& tempPath, const std::string& target, bool exists, std::string& backupName,
                       std::string& leftover, int& error);
    bool writeDevice(const std::string& path, const std::string& content, std::string& message);
    void removeLeftovers(const std::string& directory, const std::string& fileName);

    FileSystem& m_fs;
    SaveOptions m_options;
};
