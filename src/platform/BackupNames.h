#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The names a file's backups get: the first is "<base>.bak", the n-th for
// n >= 2 "<base>.bk<n>", so that earlier backups are never overwritten and
// the newest is easy to find. The base is the path without the file name's
// extension, so that a backup never shows up where "*.cfg" files are listed;
// a dot in a folder name plays no role. Where the folder part ends depends
// on the system: at the last "/" on POSIX, at the last "\" or "/" on
// Windows. A cap on their number removes the lowest numbers, and a new
// backup takes the number after the highest. No system calls: whether a name is taken is asked of the caller.
class BackupNames {
  public:
    enum class Separators { Posix, Windows };

    BackupNames(std::string path, Separators separators);

    // The n-th name; n below 1 counts as 1.
    std::string candidate(int n) const;

    // The first name from the n-th on that taken says is free, with n set to
    // its number; empty when every name up to the largest int is taken.
    std::string nextFree(int& n, const std::function<bool(const std::string& name)>& taken) const;

    // The number of the backup name path (a name in the same folder as the
    // file's), 0 for any other name.
    int numberOf(std::string_view path) const;

    // The number a new backup starts looking from: one past the highest of
    // those there, so that the newest keeps the highest number.
    static int nextNumber(const std::vector<int>& present);

    // Of the backups there (new one included), the oldest beyond the keep
    // newest, to be removed; none when keep is 0 (no cap).
    static std::vector<int> beyondKept(std::vector<int> present, int keep);

  private:
    std::string m_base;
};
