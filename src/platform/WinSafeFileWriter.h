#pragma once

#include <string>
#include <windows.h>

#include "platform/SaveFile.h"

// The file calls of the Windows writer, one virtual each, so that tests can
// make any one of them fail. A failed call leaves its error code where
// GetLastError() finds it, as the system calls do.
class WinFileApi {
  public:
    virtual ~WinFileApi() = default;

    virtual DWORD attributes(const std::wstring& path); // INVALID_FILE_ATTRIBUTES on failure
    virtual HANDLE open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition);
    virtual BOOL read(HANDLE file, char* data, DWORD size, DWORD& read);
    virtual BOOL write(HANDLE file, const char* data, DWORD size, DWORD& written);
    virtual BOOL rewind(HANDLE file);   // to the first byte
    virtual BOOL truncate(HANDLE file); // the end at the current position
    virtual BOOL flush(HANDLE file);    // FlushFileBuffers
    virtual BOOL close(HANDLE file);
    // ReplaceFileW: replacement takes replaced's place and metadata; with a
    // backup name the old file is kept under it.
    virtual BOOL replace(const std::wstring& replaced, const std::wstring& replacement, const std::wstring* backup);
    virtual BOOL move(const std::wstring& from, const std::wstring& to, DWORD flags); // MoveFileExW
    virtual BOOL remove(const std::wstring& path);

    static WinFileApi& system();
};

// Saves a configuration text on Windows so that the path always holds either
// the complete old file or the complete new one: the text goes to a
// temporary file in the target's folder and reaches the disk
// (FlushFileBuffers), then ReplaceFileW puts it in the old file's place,
// keeping the old file under a backup name (.bak, .bk2, ...) and its
// attributes and permissions. A new file is moved into place with
// MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
//
// A file that cannot be replaced (another program holds it open) or a folder
// where no temporary file can be made is written in place: the old bytes are
// read first, kept in a backup copy where one can be made, and written back
// when the new ones cannot be. Errors are reported with the texts of the
// file error causes.
class WinSafeFileWriter {
  public:
    WinSafeFileWriter();
    explicit WinSafeFileWriter(WinFileApi& api);

    // Whether and how many backups are kept; by default as SaveOptions says.
    void setOptions(const SaveOptions& options) { m_options = options; }

    bool save(const std::string& path, const std::string& content, std::string& message);

  private:
    bool replace(const std::string& path, const std::wstring& target, bool exists, const std::string& content,
                 std::string& message);
    DWORD moveIntoPlace(const std::string& path, const std::wstring& target, const std::wstring& temp,
                        std::string& backupName);
    bool overwriteInPlace(const std::string& path, const std::wstring& target, const std::string& content,
                          std::string& message);
    bool createInPlace(const std::string& path, const std::wstring& target, const std::string& content,
                       std::string& message);
    bool exists(const std::wstring& path);
    // The first backup name (BackupNames) no file has after the highest
    // there, also in UTF-16; false when backups are not wanted.
    bool freeBackupName(const std::string& path, std::string& name, std::wstring& wideName);
    // Removes the oldest numbered backups beyond the options' cap.
    void pruneBackups(const std::string& path);
    bool writeAll(HANDLE file, const std::string& bytes);
    bool readAll(HANDLE file, std::string& bytes);
    bool readCopy(const std::wstring& path, std::string& bytes);
    bool writeCopy(const std::wstring& path, const std::string& bytes);

    WinFileApi& m_api;
    SaveOptions m_options;
};
