#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// The exclusive lock one writer of a configuration file holds while it
// reads the file, changes it and saves it, so that writers that run at the
// same time take turns instead of losing each other's changes. Advisory:
// only programs that ask for it (quarvel-cfg, the Ansible module, the
// editor) wait for it.
//
// On Linux the lock is flock() on the file itself; a save renames a new file
// over it, so once the lock is had, the path is checked to still name the
// locked file, and it is taken again on the new one where not. A file not
// there yet is locked through its folder. On Windows it is LockFileEx on
// "FILE.lock" beside the file (kept there, hidden), or on a byte far past
// the end of the file itself where no lock file can be made (a folder where
// only the file may be written); either way no read of the file is blocked.
// A file system without locks lets every writer on, as before.
class FileLock {
  public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock for the file at path, waiting up to wait for a writer
    // that holds it; false with the reason in message.
    bool acquire(const std::string& path, std::chrono::milliseconds wait, std::string& message);
    void release();

    bool held() const { return m_handle != kNone; }

  private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t m_handle = kNone; // a descriptor, or a HANDLE on Windows
};
