#pragma once

#include <string>
#include <sys/stat.h>

class FileSystem;

#include <vector>

#include "platform/InterruptedSave.h"
#include "platform/SaveFile.h"

// The folders that may keep the old bytes of a file while it is written in
// place, in the order tried: $XDG_STATE_HOME/quarvel/recovery,
// $HOME/.local/state/quarvel/recovery, and a folder of this user's own under
// /var/tmp for an account without a home it may write.
std::vector<std::string> recoveryDirectories();

// The first of them, where a save keeps its copy when it can make it.
std::string recoveryDirectory();

// The safe writer's way where no temporary file can be made beside the
// target (a read-only folder, no inode left): the file is written where it
// stands. The old bytes are read before anything changes and written back on
// any failure, the backup is a copy (the file never leaves its path), and
// the space is reserved first so that a full disk fails before the first
// byte changes. A synced copy of the old bytes in recoveryDirectory(), with
// a marker naming the file, outlives a kill in the middle. Owner and
// permission bits stay the file's own. The message says what the file holds.
class InPlaceSave {
  public:
    InPlaceSave(FileSystem& fs, const SaveOptions& options) : m_fs(fs), m_options(options) {}

    // Writes content over the regular file at target.
    bool overwrite(const std::string& target, const std::string& content, std::string& message);

    // Makes the file at target, where none is, with content; a file it made
    // and could not complete is removed again.
    bool create(const std::string& target, const std::string& content, std::string& message);

  private:
    // Writes bytes over the file and syncs them; error keeps the first
    // failure's reason.
    bool writeOver(int fd, const std::string& bytes, int& error);
    bool makeRecoveryFolder(const std::string& folder);
    // On failure, stale is set when what was made of them could not be
    // removed again.
    bool writeRecoveryCopy(const struct stat& st, const std::string& target, const std::string& old,
                           std::string& copyPath, std::string& markerPath, bool& stale);

    FileSystem& m_fs;
    SaveOptions m_options;
    std::string m_recoveryFolder;    // where this save keeps its copy
    bool m_noRecoveryFolder = false; // none of recoveryDirectories() could be made
};
