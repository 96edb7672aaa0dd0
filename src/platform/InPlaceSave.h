#pragma once

#include <string>
#include <sys/stat.h>

class FileSystem;

// The folder that keeps the old bytes of a file while it is written in
// place: $XDG_STATE_HOME/quarvel/recovery, else ~/.local/state/quarvel/recovery.
std::string recoveryDirectory();

// When a save of the file at path was interrupted while it wrote the file
// in place (its marker remains), the text that says so and names the copy
// of the old content; empty otherwise.
std::string interruptedSaveNote(const std::string& path);

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
    explicit InPlaceSave(FileSystem& fs) : m_fs(fs) {}

    // Writes content over the regular file at target.
    bool overwrite(const std::string& target, const std::string& content, std::string& message);

    // Makes the file at target, where none is, with content; a file it made
    // and could not complete is removed again.
    bool create(const std::string& target, const std::string& content, std::string& message);

  private:
    // Writes bytes over the file and syncs them; error keeps the first
    // failure's reason.
    bool writeOver(int fd, const std::string& bytes, int& error);
    // On failure, stale is set when what was made of them could not be
    // removed again.
    bool writeRecoveryCopy(const struct stat& st, const std::string& target, const std::string& old,
                           std::string& copyPath, std::string& markerPath, bool& stale);

    FileSystem& m_fs;
};
