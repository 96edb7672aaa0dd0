#pragma once

#include <functional>
#include <string>
#include <string_view>

class FileSystem;

// The n-th backup name of the rule: n = 1 gives "<base>.bak", n >= 2 gives
// "<base>.bk<n>". The extension of the file name is dropped; a dot in a
// folder name plays no role.
std::string BackupCandidate(const std::string& path, int n);

// Keeps the file at path under the first free backup name. With link set it
// hard-links (the path never goes missing) and renames only where the file
// system has no hard links; without, it renames. Sets backupName on success.
bool BackupExistingFile(FileSystem& fs, const std::string& path, std::string& backupName, bool link = true);

// Saves a configuration text so that the path always holds either the
// complete old file or the complete new one: the text goes to a temporary
// file in the target's folder, the old file is kept as a backup, and the
// temporary file is renamed onto the path. Only when no temporary file can be
// made there does it fall back to writing in place.
class SafeFileWriter {
  public:
    // Hands the content to write, piece by piece, to the function it is given;
    // false when that function refused a piece. It may be called more than
    // once and must give the same pieces each time.
    using ContentSource = std::function<bool(const std::function<bool(std::string_view)>& write)>;

    SafeFileWriter();
    explicit SafeFileWriter(FileSystem& fs);

    bool Save(const std::string& path, const std::string& content, std::string& message);
    bool Save(const std::string& path, const ContentSource& content, std::string& message);

  private:
    bool SaveInPlace(const std::string& path, bool backup, const ContentSource& content, std::string& message);
    bool WriteContent(int fd, const ContentSource& content);
    bool WriteAll(int fd, std::string_view content);
    static std::string SavedMessage(const std::string& path, const std::string& backupName);

    FileSystem& m_fs;
};
