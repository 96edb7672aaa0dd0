// The Windows writer: golden bytes, backups beside the file, the failures
// Windows reports, and every file call that can fail.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "config/WinFileErrors.h"
#include "config/WinSafeFileWriter.h"

namespace {

std::vector<std::string> Listing(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Saved(const std::string& path)
{
    return "Configuration saved to file '" + path + "'.";
}

std::string Renamed(const std::string& path, const std::string& backup)
{
    return "An old configuration file was found and renamed.\nNew configuration:\t" + path + "\nOld configuration:\t" +
           backup + "\n";
}

// Makes one kind of file call fail with a chosen error; everything else is
// the system's.
class FailingApi : public WinFileApi {
  public:
    enum Call { None, TempOpenCall, WriteCall, FlushCall, CloseCall, ReplaceCall };
    FailingApi(Call call, DWORD error) : m_call(call), m_error(error) {}

    HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) override
    {
        if (m_call == TempOpenCall && path.find(L".quarvel-save-") != std::wstring::npos)
            return Fail(), INVALID_HANDLE_VALUE;
        return WinFileApi::Open(path, access, share, disposition);
    }
    BOOL Write(HANDLE file, const char* data, DWORD size, DWORD& written) override
    {
        return m_call == WriteCall ? Fail() : WinFileApi::Write(file, data, size, written);
    }
    BOOL Flush(HANDLE file) override { return m_call == FlushCall ? Fail() : WinFileApi::Flush(file); }
    BOOL Close(HANDLE file) override
    {
        const BOOL closed = WinFileApi::Close(file);
        return m_call == CloseCall ? Fail() : closed;
    }
    BOOL Replace(const std::wstring& replaced, const std::wstring& replacement, const std::wstring* backup) override
    {
        if (m_call != ReplaceCall)
            return WinFileApi::Replace(replaced, replacement, backup);
        // As ReplaceFileW can end: the old file already under the backup
        // name, the new one not in its place.
        if (backup && m_error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            ::MoveFileExW(replaced.c_str(), backup->c_str(), 0);
        return Fail();
    }

  private:
    BOOL Fail()
    {
        ::SetLastError(m_error);
        return FALSE;
    }
    Call m_call;
    DWORD m_error;
};

} // namespace

TEST(WinSave, WritesTheGoldenFileByteForByteWithCarriageReturns)
{
    TempDir dir;
    const std::string path = InFolder(dir.path(), "config.cfg");
    std::string message;
    ASSERT_TRUE(CConfiguration().SaveToFile(path, message)) << message;
    EXPECT_EQ(message, Saved(path));
    EXPECT_EQ(ReadBytes(path), ReadBytes(GoldenPath("fresh.cfg")));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.cfg"});

    // Read back into a fresh record and written again: the same bytes.
    CConfiguration reread;
    ASSERT_TRUE(reread.LoadFromFile(path, message)) << message;
    EXPECT_EQ(FormatConfiguration(reread), ReadBytes(path));
}

TEST(WinBackup, NamesSplitAtTheLastSeparatorAndDropTheExtension)
{
    EXPECT_EQ(WinSafeFileWriter::BackupCandidate("D:\\srv\\config.cfg", 1), "D:\\srv\\config.bak");
    EXPECT_EQ(WinSafeFileWriter::BackupCandidate("D:\\srv\\config.cfg", 2), "D:\\srv\\config.bk2");
    EXPECT_EQ(WinSafeFileWriter::BackupCandidate("D:\\srv\\config.cfg", 13), "D:\\srv\\config.bk13");
    EXPECT_EQ(WinSafeFileWriter::BackupCandidate("config", 1), "config.bak");
    EXPECT_EQ(WinSafeFileWriter::BackupCandidate("D:\\a.b\\cfg", 1), "D:\\a.b\\cfg.bak");
    EXPECT_EQ(WinSafeFileWriter::BackupCandidate("D:\\srv\\my.config.cfg", 1), "D:\\srv\\my.config.bak");
    // Windows takes "/" as a separator too: a dot in such a folder name
    // plays no role either.
    EXPECT_EQ(WinSafeFileWriter::BackupCandidate("C:/a.b/cfg", 1), "C:/a.b/cfg.bak");
}

TEST(WinSave, EachSaveKeepsTheOlderFileUnderTheNextFreeBackupName)
{
    TempDir dir;
    const std::string path = InFolder(dir.path(), "config.cfg");
    WriteBytes(InFolder(dir.path(), "config.bak"), "left by config.txt");
    CConfiguration config;
    std::string message;
    std::vector<std::string> versions;
    for (int port : {104, 105, 106}) {
        config.Port = port;
        ASSERT_TRUE(config.SaveToFile(path, message)) << message;
        versions.push_back(ReadBytes(path));
    }
    EXPECT_EQ(message, Renamed(path, InFolder(dir.path(), "config.bk3")));
    EXPECT_EQ(ReadBytes(InFolder(dir.path(), "config.bak")), "left by config.txt");
    EXPECT_EQ(ReadBytes(InFolder(dir.path(), "config.bk2")), versions[0]);
    EXPECT_EQ(ReadBytes(InFolder(dir.path(), "config.bk3")), versions[1]);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"config.bak", "config.bk2", "config.bk3", "config.cfg"}));
}

TEST(WinSave, FailuresSayWhatWindowsReportedAndLeaveTheOldFile)
{
    TempDir dir;
    std::string message;
    const std::string missing = InFolder(InFolder(dir.path(), "missing"), "config.cfg");
    EXPECT_FALSE(CConfiguration().SaveToFile(missing, message));
    EXPECT_EQ(message, "File could not be opened: " + missing + " contains an invalid path.");

    const std::string folder = InFolder(dir.path(), "folder.cfg");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(CConfiguration().SaveToFile(folder, message));
    EXPECT_EQ(message, "File could not be opened: Access to " + folder + " was denied.");

    // Another program holds the file open and lets nobody write it.
    const std::string held = InFolder(dir.path(), "held.cfg");
    WriteBytes(held, "old");
    const HANDLE holder =
        ::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CConfiguration().SaveToFile(held, message));
    ::CloseHandle(holder);
    EXPECT_EQ(message, "File could not be opened: A sharing violation occurred while accessing " + held + ".");
    EXPECT_EQ(ReadBytes(held), "old");
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"folder.cfg", "held.cfg"}));
}

TEST(WinSave, AFileThatCannotBeReplacedIsOverwrittenInPlaceWithABackupCopy)
{
    // The server reads its file with others allowed to write but not to
    // delete or rename it: the file cannot be replaced, only written.
    TempDir dir;
    const std::string path = InFolder(dir.path(), "config.cfg");
    WriteBytes(path, "old");
    const HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::string message;
    EXPECT_TRUE(CConfiguration().SaveToFile(path, message)) << message;
    ::CloseHandle(holder);
    EXPECT_EQ(message, Renamed(path, InFolder(dir.path(), "config.bak")));
    EXPECT_EQ(ReadBytes(path), ReadBytes(GoldenPath("fresh.cfg")));
    EXPECT_EQ(ReadBytes(InFolder(dir.path(), "config.bak")), "old");
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"config.bak", "config.cfg"}));
}

TEST(WinSave, AnyFailingCallLeavesTheOldFileAndNoTemporaryFile)
{
    const std::string fresh = FormatConfiguration(CConfiguration());
    struct Case {
        FailingApi::Call call;
        DWORD error;
        const char* description;
    };
    const Case cases[] = {
        {FailingApi::WriteCall, ERROR_DISK_FULL, "Disk full while accessing "},
        {FailingApi::FlushCall, ERROR_IO_DEVICE, "Disk full while accessing "},
        {FailingApi::CloseCall, ERROR_INVALID_HANDLE, "Disk full while accessing "},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = InFolder(dir.path(), "config.cfg");
        WriteBytes(path, "old");
        FailingApi api(c.call, c.error);
        std::string message;
        EXPECT_FALSE(WinSafeFileWriter(api).Save(path, fresh, message)) << c.call;
        EXPECT_EQ(message, "File could not be opened: " + std::string(c.description) + path + ".") << c.call;
        EXPECT_EQ(ReadBytes(path), "old") << c.call;
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.cfg"}) << c.call;
    }
}

TEST(WinSave, AReplaceThatStopsHalfWayEndsWithTheNewFileOrTheOldOne)
{
    const std::string fresh = FormatConfiguration(CConfiguration());
    {
        // The old file went to the backup name; the new one is moved after.
        TempDir dir;
        const std::string path = InFolder(dir.path(), "config.cfg");
        WriteBytes(path, "old");
        FailingApi api(FailingApi::ReplaceCall, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
        std::string message;
        EXPECT_TRUE(WinSafeFileWriter(api).Save(path, fresh, message)) << message;
        EXPECT_EQ(message, Renamed(path, InFolder(dir.path(), "config.bak")));
        EXPECT_EQ(ReadBytes(path), fresh);
        EXPECT_EQ(ReadBytes(InFolder(dir.path(), "config.bak")), "old");
    }
    {
        // The system keeps no backup and replaces nothing: the backup is a
        // copy, and the new file is moved over the old one.
        TempDir dir;
        const std::string path = InFolder(dir.path(), "config.cfg");
        WriteBytes(path, "old");
        FailingApi api(FailingApi::ReplaceCall, ERROR_UNABLE_TO_REMOVE_REPLACED);
        std::string message;
        EXPECT_TRUE(WinSafeFileWriter(api).Save(path, fresh, message)) << message;
        EXPECT_EQ(message, Renamed(path, InFolder(dir.path(), "config.bak")));
        EXPECT_EQ(ReadBytes(path), fresh);
        EXPECT_EQ(ReadBytes(InFolder(dir.path(), "config.bak")), "old");
        EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"config.bak", "config.cfg"}));
    }
    {
        // A folder where no temporary file can be made: written in place;
        // a write that fails there puts the old bytes back.
        TempDir dir;
        const std::string path = InFolder(dir.path(), "config.cfg");
        WriteBytes(path, "old");
        FailingApi noTemp(FailingApi::TempOpenCall, ERROR_ACCESS_DENIED);
        std::string message;
        EXPECT_TRUE(WinSafeFileWriter(noTemp).Save(path, fresh, message)) << message;
        EXPECT_EQ(ReadBytes(path), fresh);
        EXPECT_EQ(ReadBytes(InFolder(dir.path(), "config.bak")), "old");

        const std::string fresher = fresh + "; more\r\n";
        class FailingWrites : public FailingApi {
          public:
            FailingWrites() : FailingApi(FailingApi::TempOpenCall, ERROR_ACCESS_DENIED) {}
            BOOL Write(HANDLE file, const char* data, DWORD size, DWORD& written) override
            {
                // Writing the new text fails; the backup copy and the way
                // back work.
                if (std::string_view(data, size).find("; more") != std::string_view::npos) {
                    ::SetLastError(ERROR_DISK_FULL);
                    return FALSE;
                }
                return WinFileApi::Write(file, data, size, written);
            }
        } failingWrites;
        EXPECT_FALSE(WinSafeFileWriter(failingWrites).Save(path, fresher, message));
        EXPECT_EQ(message, "File could not be opened: Disk full while accessing " + path + ".");
        EXPECT_EQ(ReadBytes(path), fresh);
    }
}

TEST(WinFileErrors, WindowsCodesGetTheTextsOfTheirCauses)
{
    const std::string f = "C:\\srv\\config.cfg";
    const std::pair<DWORD, std::string> cases[] = {
        {ERROR_FILE_NOT_FOUND, f + " was not found."},
        {ERROR_PATH_NOT_FOUND, f + " contains an invalid path."},
        {ERROR_INVALID_NAME, f + " contains an invalid path."},
        {ERROR_TOO_MANY_OPEN_FILES, f + " could not be opened because there are too many open files."},
        {ERROR_ACCESS_DENIED, "Access to " + f + " was denied."},
        {ERROR_WRITE_PROTECT, "Access to " + f + " was denied."},
        {ERROR_INVALID_HANDLE, "An invalid file handle was associated with " + f + "."},
        {ERROR_CURRENT_DIRECTORY, f + " could not be removed because it is the current directory."},
        {ERROR_CANNOT_MAKE, f + " could not be created because the directory is full."},
        {ERROR_NEGATIVE_SEEK, "Seek failed on " + f},
        {ERROR_CRC, "A hardware I/O error was reported while accessing " + f + "."},
        {ERROR_SHARING_VIOLATION, "A sharing violation occurred while accessing " + f + "."},
        {ERROR_LOCK_VIOLATION, "A locking violation occurred while accessing " + f + "."},
        {ERROR_DISK_FULL, "Disk full while accessing " + f + "."},
        {ERROR_HANDLE_DISK_FULL, "Disk full while accessing " + f + "."},
        {ERROR_HANDLE_EOF, "An attempt was made to access " + f + " past its end."},
        {NO_ERROR, "No error occurred."},
        {ERROR_NOT_ENOUGH_MEMORY, "Out of memory."},
        {ERROR_INVALID_FUNCTION, "An unknown error occurred while accessing " + f + "."},
    };
    for (const auto& [code, description] : cases)
        EXPECT_EQ(WindowsFileErrorMessage(code, f), "File could not be opened: " + description) << code;
}

TEST(WinCfgTool, DefaultsUnderWindowsWritesTheGoldenBytes)
{
    TempDir dir;
    const std::string out = InFolder(dir.path(), "fresh.cfg");
    const std::string tool = InFolder(ProgramFolder(), "quarvel-cfg.exe");
    EXPECT_EQ(RunProgram(tool, "defaults \"" + out + "\""), 0);
    EXPECT_EQ(ReadBytes(out), ReadBytes(GoldenPath("fresh.cfg")));

    // Normalizing the sample file keeps its bytes and backs the old out up.
    const std::string sample = InFolder(dir.path(), "sample.cfg");
    WriteBytes(sample, ReadBytes(GoldenPath("sample.cfg")));
    EXPECT_EQ(RunProgram(tool, "normalize \"" + sample + "\" \"" + out + "\""), 0);
    EXPECT_EQ(ReadBytes(out), ReadBytes(GoldenPath("sample.cfg")));
    EXPECT_EQ(ReadBytes(InFolder(dir.path(), "fresh.bak")), ReadBytes(GoldenPath("fresh.cfg")));
}
