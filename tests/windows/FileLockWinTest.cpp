// The writers' lock and the backup cap with Windows' own calls: a second
// holder waits and gives up, the lock file stays hidden beside the file, and
// the oldest numbered backups beyond the cap go.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "platform/FileLock.h"
#include "platform/SaveMessages.h"
#include "platform/WinSafeFileWriter.h"
#include "platform/WinText.h"

TEST(FileLockWin, ASecondHolderWaitsThenGivesUpAndTheLockFileStaysHidden)
{
    TempDir dir;
    const std::string path = inFolder(dir.path(), "config.cfg");
    writeBytes(path, "[[SETTINGS]]\r\n");
    FileLock first, second;
    std::string message;
    ASSERT_TRUE(first.acquire(path, std::chrono::seconds(1), message)) << message;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.acquire(path, std::chrono::milliseconds(300), message));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
    EXPECT_EQ(message, lockBusyMessage(path, 1));
    // Readers of the file itself are not held up.
    EXPECT_EQ(readBytes(path), "[[SETTINGS]]\r\n");
    first.release();
    EXPECT_TRUE(second.acquire(path, std::chrono::milliseconds(300), message)) << message;

    std::wstring lock;
    ASSERT_TRUE(wideFromUtf8(path + ".lock", lock));
    const DWORD attributes = ::GetFileAttributesW(lock.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
}

TEST(FileLockWin, TheWriterKeepsAtMostTheCappedBackupsOrNoneWhenAsked)
{
    const struct {
        const char* what;
        SaveOptions options;
        int saves;
        std::vector<std::string> left;
    } cases[] = {
        {"two kept", {true, 2}, 5, {"config.bk4", "config.bk5", "config.cfg"}},
        {"none made", {false, 10}, 3, {"config.cfg"}},
    };
    for (const auto& tc : cases) {
        TempDir dir;
        const std::string path = inFolder(dir.path(), "config.cfg");
        writeBytes(path, "[[SETTINGS]] 0");
        for (int i = 1; i <= tc.saves; ++i) {
            WinSafeFileWriter writer;
            writer.setOptions(tc.options);
            std::string message;
            ASSERT_TRUE(writer.save(path, "[[SETTINGS]] " + std::to_string(i), message)) << message;
        }
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, tc.left) << tc.what;
        EXPECT_EQ(readBytes(path), "[[SETTINGS]] " + std::to_string(tc.saves)) << tc.what;
    }
}
