#pragma once

#include <string>
#include <sys/stat.h>

#include "platform/SaveFile.h"

class FileSystem;

// The n-th backup name: n = 1 gives "<base>.bak", n >= 2 gives "<base>.bk<n>",
// so that earlier backups are never overwritten and the newest free name is
// easy to find. The extension of the file name is dropped, so a backup never
// shows up where "*.cfg" files are listed; a dot in a folder name plays no
// role.
std::string backupCandidate(const std::string& path, int n);

// Keeps the file at path under the first free backup name. With copyOf, the
// backup is a new file with those bytes (for a file about to be written in
// place, which would change a hard link too); without, it is a hard link,
// or a copy where the file system refuses one. The live file is never moved
// away, so the path never goes missing. Sets backupName on success.
// A copy that failed halfway and could not be removed is named in leftover.
bool backupExistingFile(FileSystem& fs, const std::string& path, std::string& backupName,
                        const std::string* copyOf = nullptr, std::string* leftover = nullptr);

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
// place, and then it keeps the old bytes (and a backup copy where it can),
// reserves the space first, keeps a synced recovery copy of the old bytes
// with a marker outside the folder (see recoveryDirectory) while it writes,
// and writes the old bytes back on any failure; its message then says what
// the file holds. Character devices (/dev/null, /dev/full)
// are written as they are; pipes, sockets and block devices are refused.
// The folder that keeps the old bytes of a file while it is written in
// place: $XDG_STATE_HOME/quarvel/recovery, else ~/.local/state/quarvel/recovery.
std::string recoveryDirectory();

// When a save of the file at path was interrupted while it wrote the file
// in place (its marker remains), the text that says so and names the copy
// of the old content; empty otherwise.
std::string interruptedSaveNote(const std::string& path);

class SafeFileWriter {
  public:
    SafeFileWriter();
    explicit SafeFileWriter(FileSystem& fs);

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
    bool createInPlace(const std::string& target, const std::string& content, std::string& message);
    bool overwriteInPlace(const std::string& target, const std::string& content, std::string& message);
    // Writes bytes over the file and syncs them; error keeps the first
    // failure's reason.
    bool overwrite(int fd, const std::string& bytes, int& error);
    // On failure, stale is set when what was made of them could not be
    // removed again.
    bool writeRecoveryCopy(const struct stat& st, const std::string& target, const std::string& old,
                           std::string& copyPath, std::string& markerPath, bool& stale);
    bool writeDevice(const std::string& path, const std::string& content, std::string& message);
    void removeLeftovers(const std::string& directory, const std::string& fileName);

    FileSystem& m_fs;
};
