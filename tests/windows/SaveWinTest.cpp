// The Windows writer: golden bytes, backups beside the file, the failures
// Windows reports, and every file call that can fail.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "platform/WinFileErrors.h"
#include "platform/WinSafeFileWriter.h"

namespace {

std::vector<std::string> listing(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string saved(const std::string& path)
{
    return "Configuration saved to file '" + path + "'.";
}

std::string renamed(const std::string& path, const std::string& backup)
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

    HANDLE open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) override
    {
        if (m_call == TempOpenCall && path.find(L".quarvel-save-") != std::wstring::npos)
            return fail(), INVALID_HANDLE_VALUE;
        return WinFileApi::open(path, access, share, disposition);
    }
    BOOL write(HANDLE file, const char* data, DWORD size, DWORD& written) override
    {
        return m_call == WriteCall ? fail() : WinFileApi::write(file, data, size, written);
    }
    BOOL flush(HANDLE file) override { return m_call == FlushCall ? fail() : WinFileApi::flush(file); }
    BOOL close(HANDLE file) override
    {
        const BOOL closed = WinFileApi::close(file);
        return m_call == CloseCall ? fail() : closed;
    }
    BOOL replace(const std::wstring& replaced, const std::wstring& replacement, const std::wstring* backup) override
    {
        if (m_call != ReplaceCall)
            return WinFileApi::replace(replaced, replacement, backup);
        // As ReplaceFileW can end: the old file already under the backup
        // name, the new one not in its place.
        if (backup && m_error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            ::MoveFileExW(replaced.c_str(), backup->c_str(), 0);
        return fail();
    }

  private:
    BOOL fail()
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
    const std::string path = inFolder(dir.path(), "config.cfg");
    std::string message;
    ASSERT_TRUE(Configuration().saveToFile(path, message)) << message;
    EXPECT_EQ(message, saved(path));
    EXPECT_EQ(readBytes(path), readBytes(goldenPath("fresh.cfg")));
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"config.cfg"});

    // Read back into a fresh record and written again: the same bytes.
    Configuration reread;
    ASSERT_TRUE(reread.loadFromFile(path, message)) << message;
    EXPECT_EQ(formatConfiguration(reread), readBytes(path));
}

TEST(WinSave, EachSaveKeepsTheOlderFileUnderTheNextFreeBackupName)
{
    TempDir dir;
    const std::string path = inFolder(dir.path(), "config.cfg");
    writeBytes(inFolder(dir.path(), "config.bak"), "left by config.txt");
    Configuration config;
    std::string message;
    std::vector<std::string> versions;
    for (int port : {104, 105, 106}) {
        config.Port = port;
        ASSERT_TRUE(config.saveToFile(path, message)) << message;
        versions.push_back(readBytes(path));
    }
    EXPECT_EQ(message, renamed(path, inFolder(dir.path(), "config.bk3")));
    EXPECT_EQ(readBytes(inFolder(dir.path(), "config.bak")), "left by config.txt");
    EXPECT_EQ(readBytes(inFolder(dir.path(), "config.bk2")), versions[0]);
    EXPECT_EQ(readBytes(inFolder(dir.path(), "config.bk3")), versions[1]);
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"config.bak", "config.bk2", "config.bk3", "config.cfg"}));
}

TEST(WinSave, FailuresSayWhatWindowsReportedAndLeaveTheOldFile)
{
    TempDir dir;
    std::string message;
    const std::string missing = inFolder(inFolder(dir.path(), "missing"), "config.cfg");
    EXPECT_FALSE(Configuration().saveToFile(missing, message));
    EXPECT_EQ(message, "File could not be opened: " + missing + " contains an invalid path.");

    const std::string folder = inFolder(dir.path(), "folder.cfg");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(Configuration().saveToFile(folder, message));
    EXPECT_EQ(message, "File could not be opened: Access to " + folder + " was denied.");

    // Another program holds the file open and lets nobody write it.
    const std::string held = inFolder(dir.path(), "held.cfg");
    writeBytes(held, "old");
    const HANDLE holder =
        ::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Configuration().saveToFile(held, message));
    ::CloseHandle(holder);
    EXPECT_EQ(message, "File could not be opened: A sharing violation occurred while accessing " + held + ".");
    EXPECT_EQ(readBytes(held), "old");
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"folder.cfg", "held.cfg"}));
}

TEST(WinSave, AFileThatCannotBeReplacedIsOverwrittenInPlaceWithABackupCopy)
{
    // The server reads its file with others allowed to write but not to
    // delete or rename it: the file cannot be replaced, only written.
    TempDir dir;
    const std::string path = inFolder(dir.path(), "config.cfg");
    writeBytes(path, "old");
    const HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::string message;
    EXPECT_TRUE(Configuration().saveToFile(path, message)) << message;
    ::CloseHandle(holder);
    EXPECT_EQ(message, renamed(path, inFolder(dir.path(), "config.bak")));
    EXPECT_EQ(readBytes(path), readBytes(goldenPath("fresh.cfg")));
    EXPECT_EQ(readBytes(inFolder(dir.path(), "config.bak")), "old");
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"config.bak", "config.cfg"}));
}

TEST(WinSave, AnyFailingCallLeavesTheOldFileAndNoTemporaryFile)
{
    const std::string fresh = formatConfiguration(Configuration());
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
        const std::string path = inFolder(dir.path(), "config.cfg");
        writeBytes(path, "old");
        FailingApi api(c.call, c.error);
        std::string message;
        EXPECT_FALSE(WinSafeFileWriter(api).save(path, fresh, message)) << c.call;
        EXPECT_EQ(message, "File could not be opened: " + std::string(c.description) + path + ".") << c.call;
        EXPECT_EQ(readBytes(path), "old") << c.call;
        EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"config.cfg"}) << c.call;
    }
}

TEST(WinSave, AReplaceThatStopsHalfWayEndsWithTheNewFileOrTheOldOne)
{
    const std::string fresh = formatConfiguration(Configuration());
    {
        // The old file went to the backup name; the new one is moved after.
        TempDir dir;
        const std::string path = inFolder(dir.path(), "config.cfg");
        writeBytes(path, "old");
        FailingApi api(FailingApi::ReplaceCall, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
        std::string message;
        EXPECT_TRUE(WinSafeFileWriter(api).save(path, fresh, message)) << message;
        EXPECT_EQ(message, renamed(path, inFolder(dir.path(), "config.bak")));
        EXPECT_EQ(readBytes(path), fresh);
        EXPECT_EQ(readBytes(inFolder(dir.path(), "config.bak")), "old");
    }
    {
        // The system keeps no backup and replaces nothing: the backup is a
        // copy, and the new file is moved over the old one.
        TempDir dir;
        const std::string path = inFolder(dir.path(), "config.cfg");
        writeBytes(path, "old");
        FailingApi api(FailingApi::ReplaceCall, ERROR_UNABLE_TO_REMOVE_REPLACED);
        std::string message;
        EXPECT_TRUE(WinSafeFileWriter(api).save(path, fresh, message)) << message;
        EXPECT_EQ(message, renamed(path, inFolder(dir.path(), "config.bak")));
        EXPECT_EQ(readBytes(path), fresh);
        EXPECT_EQ(readBytes(inFolder(dir.path(), "config.bak")), "old");
        EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"config.bak", "config.cfg"}));
    }
    {
        // A folder where no temporary file can be made: written in place;
        // a write that fails there puts the old bytes back.
        TempDir dir;
        const std::string path = inFolder(dir.path(), "config.cfg");
        writeBytes(path, "old");
        FailingApi noTemp(FailingApi::TempOpenCall, ERROR_ACCESS_DENIED);
        std::string message;
        EXPECT_TRUE(WinSafeFileWriter(noTemp).save(path, fresh, message)) << message;
        EXPECT_EQ(readBytes(path), fresh);
        EXPECT_EQ(readBytes(inFolder(dir.path(), "config.bak")), "old");

        const std::string fresher = fresh + "; more\r\n";
        class FailingWrites : public FailingApi {
          public:
            FailingWrites() : FailingApi(FailingApi::TempOpenCall, ERROR_ACCESS_DENIED) {}
            BOOL write(HANDLE file, const char* data, DWORD size, DWORD& written) override
            {
                // Writing the new text fails; the backup copy and the way
                // back work.
                if (std::string_view(data, size).find("; more") != std::string_view::npos) {
                    ::SetLastError(ERROR_DISK_FULL);
                    return FALSE;
                }
                return WinFileApi::write(file, data, size, written);
            }
        } failingWrites;
        EXPECT_FALSE(WinSafeFileWriter(failingWrites).save(path, fresher, message));
        EXPECT_EQ(message, "File could not be opened: Disk full while accessing " + path + ".");
        EXPECT_EQ(readBytes(path), fresh);
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
        EXPECT_EQ(windowsFileErrorMessage(code, f), "File could not be opened: " + description) << code;
}

TEST(WinCfgTool, DefaultsUnderWindowsWritesTheGoldenBytes)
{
    TempDir dir;
    const std::string out = inFolder(dir.path(), "fresh.cfg");
    const std::string tool = inFolder(programFolder(), "quarvel-cfg.exe");
    EXPECT_EQ(runProgram(tool, "defaults \"" + out + "\""), 0);
    EXPECT_EQ(readBytes(out), readBytes(goldenPath("fresh.cfg")));

    // Normalizing the sample file keeps its bytes and backs the old out up.
    const std::string sample = inFolder(dir.path(), "sample.cfg");
    writeBytes(sample, readBytes(goldenPath("sample.cfg")));
    EXPECT_EQ(runProgram(tool, "normalize \"" + sample + "\" \"" + out + "\""), 0);
    EXPECT_EQ(readBytes(out), readBytes(goldenPath("sample.cfg")));
    EXPECT_EQ(readBytes(inFolder(dir.path(), "fresh.bak")), readBytes(goldenPath("fresh.cfg")));
}
