#pragma once

#include <functional>
#include <string>
#include <string_view>

// The names a file's backups get: the first is "<base>.bak", the n-th for
// n >= 2 "<base>.bk<n>", so that earlier backups are never overwritten and
// the newest is easy to find. The base is the path without the file name's
// extension, so that a backup never shows up where "*.cfg" files are listed;
// a dot in a folder name plays no role. Where the folder part ends depends
// on the system: at the last "/" on POSIX, at the last "\" or "/" on
// Windows. No system calls: whether a name is taken is asked of the caller.
class BackupNames {
  public:
    enum class Separators { Posix, Windows };

    BackupNames(std::string path, Separators separators);

    // The n-th name; n below 1 counts as 1.
    std::string candidate(int n) const;

    // The first name from the n-th on that taken says is free, with n set to
    // its number; empty when every name up to the largest int is taken.
    std::string nextFree(int& n, const std::function<bool(const std::string& name)>& taken) const;

  private:
    std::string m_base;
};
