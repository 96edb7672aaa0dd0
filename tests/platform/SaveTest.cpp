#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "config/SampleConfig.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"

#include "SaveTestSupport.h"

using namespace save_test;

TEST(save, NewFileAndSuccessiveBackupsKeepEveryVersion)
{
    TempDir dir;
    const std::string path = dir.file("config.cfg");
    Configuration c;
    EXPECT_EQ(save(c, path), "Configuration saved to file '" + path + "'.");
    const std::string v1 = readBytes(path);
    EXPECT_EQ(v1, formatConfiguration(c));

    c.Port = 2;
    EXPECT_EQ(save(c, path), "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                                 "\nOld configuration:\t" + dir.file("config.bak") + "\n");
    const std::string v2 = readBytes(path);
    c.Port = 3;
    EXPECT_EQ(save(c, path), "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                                 "\nOld configuration:\t" + dir.file("config.bk2") + "\n");
    save(c, path);
    EXPECT_EQ(readBytes(dir.file("config.bak")), v1);
    EXPECT_EQ(readBytes(dir.file("config.bk2")), v2);
    EXPECT_TRUE(fileExists(dir.file("config.bk3")));
    EXPECT_FALSE(fileExists(dir.file("config.bk1")));
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"config.bak", "config.bk2", "config.bk3", "config.cfg"}));
}

TEST(save, BackupNamesAreSharedAcrossExtensionsAndIgnoreDotsInFolders)
{
    TempDir dir;
    Configuration c;
    writeBytes(dir.file("config.bak"), "from config.txt");
    writeBytes(dir.file("config.cfg"), "old");
    EXPECT_NE(save(c, dir.file("config.cfg")).find(dir.file("config.bk2")), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("config.bak")), "from config.txt");

    writeBytes(dir.file("my.config.cfg"), "old");
    save(c, dir.file("my.config.cfg"));
    EXPECT_EQ(readBytes(dir.file("my.config.bak")), "old");

    writeBytes(dir.file("plain"), "old");
    save(c, dir.file("plain"));
    EXPECT_EQ(readBytes(dir.file("plain.bak")), "old");

    std::filesystem::create_directory(dir.file("a.b"));
    writeBytes(dir.file("a.b/cfg"), "old");
    save(c, dir.file("a.b/cfg"));
    EXPECT_EQ(readBytes(dir.file("a.b/cfg.bak")), "old");
    EXPECT_FALSE(fileExists(dir.file("a.bak")));
}

TEST(save, KeepsPermissionBitsAndOwnerAndGivesNewFilesWhatTheUmaskLeaves)
{
    TempDir dir;
    Configuration c;
    const std::string path = dir.file("config.cfg");
    writeBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    save(c, path);
    EXPECT_EQ(mode(path), 0640u);

    // Written in place when no temporary file can be made: still the file's
    // own bits and owner, not those of a new file.
    NoTemporaryFileSystem noTemp;
    std::string message;
    ASSERT_TRUE(SafeFileWriter(noTemp).save(path, "in place", message)) << message;
    EXPECT_EQ(readBytes(path), "in place");
    EXPECT_EQ(mode(path), 0640u);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
    }

    const mode_t previous = ::umask(027);
    save(c, dir.file("fresh.cfg"));
    NoTemporaryFileSystem noTempForNew;
    EXPECT_TRUE(SafeFileWriter(noTempForNew).save(dir.file("fresh-in-place.cfg"), "new", message)) << message;
    ::umask(previous);
    EXPECT_EQ(mode(dir.file("fresh.cfg")), 0640u);
    EXPECT_EQ(mode(dir.file("fresh-in-place.cfg")), 0640u);
}

TEST(save, SymbolicLinksAreFollowedToTheFileTheyEndAt)
{
    TempDir dir;
    Configuration c;
    const std::string text = formatConfiguration(c);
    std::filesystem::create_directory(dir.file("real"));
    const std::string real = dir.file("real/server.cfg");

    // An absolute link: the target is replaced and backed up beside itself,
    // and the message names it.
    writeBytes(real, "linked old");
    std::filesystem::create_symlink(real, dir.file("link.cfg"));
    EXPECT_EQ(save(c, dir.file("link.cfg")), "An old configuration file was found and renamed.\nNew configuration:\t" +
                                                 real + "\nOld configuration:\t" + dir.file("real/server.bak") + "\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cfg")));
    EXPECT_EQ(readBytes(real), text);
    EXPECT_EQ(readBytes(dir.file("real/server.bak")), "linked old");
    EXPECT_FALSE(fileExists(dir.file("link.bak")));

    // A chain of a relative and an absolute link, written in place because
    // no temporary file can be made: still the final target.
    std::filesystem::create_symlink("link.cfg", dir.file("chain.cfg"));
    NoTemporaryFileSystem noTemp;
    std::string message;
    EXPECT_TRUE(SafeFileWriter(noTemp).save(dir.file("chain.cfg"), "via chain", message)) << message;
    EXPECT_EQ(message, "An old configuration file was found and renamed.\nNew configuration:\t" + real +
                           "\nOld configuration:\t" + dir.file("real/server.bk2") + "\n");
    EXPECT_EQ(readBytes(real), "via chain");
    EXPECT_EQ(readBytes(dir.file("real/server.bk2")), text);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("chain.cfg")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cfg")));

    // A dangling link: the file is created where it points.
    std::filesystem::create_symlink("real/new.cfg", dir.file("dangling.cfg"));
    EXPECT_EQ(save(c, dir.file("dangling.cfg")), "Configuration saved to file '" + dir.file("real/new.cfg") + "'.");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.cfg")));
    EXPECT_EQ(readBytes(dir.file("real/new.cfg")), text);

    // A loop of links is an invalid path.
    std::filesystem::create_symlink("loop-b", dir.file("loop-a"));
    std::filesystem::create_symlink("loop-a", dir.file("loop-b"));
    EXPECT_EQ(save(c, dir.file("loop-a"), false),
              "File could not be opened: " + dir.file("loop-a") + " contains an invalid path.");
}

TEST(save, MissingFolderAndFolderAtThePathFailWithoutTouchingAnything)
{
    TempDir dir;
    Configuration c;
    const std::string missing = dir.file("no/such/config.cfg");
    // A file that is to be made is not "not found": its folder is.
    EXPECT_EQ(save(c, missing, false), "File could not be opened: " + missing +
                                           ": No such file or directory; the folder " + dir.file("no/such") +
                                           " was not found.");

    std::filesystem::create_directory(dir.file("config.cfg"));
    EXPECT_EQ(save(c, dir.file("config.cfg"), false),
              "File could not be opened: Access to " + dir.file("config.cfg") + " was denied.");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("config.cfg")));
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"config.cfg"});
}

TEST(save, CharacterDevicesAreWrittenAsTheyArePipesAndSocketsAreRefused)
{
    Configuration c;
    if (fileExists("/dev/full")) {
        EXPECT_EQ(save(c, "/dev/full", false), "File could not be opened: Disk full while accessing /dev/full.");
    }
    EXPECT_EQ(save(c, "/dev/null"), "Configuration saved to file '/dev/null'.");

    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // In a child: a save that opens the pipe for writing would wait forever.
    EXPECT_EQ(runInChild(
                  [&] {
                      std::string message;
                      Configuration config;
                      return (config.saveToFile(fifo, message) ? "saved: " : "failed: ") + message;
                  },
                  10),
              "failed: File could not be opened: " + fifo + " is not a regular file.");

    const std::string socketPath = dir.file("socket");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(save(c, socketPath, false), "File could not be opened: " + socketPath + " is not a regular file.");
    ::close(sock);
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"fifo", "socket"}));
}

TEST(save, AnyFailingCallLeavesTheOldFileExactlyAsItWas)
{
    struct Case {
        FailingFileSystem::Call call;
        int error;
        bool inPlace;
        const char* description;
    };
    const Case cases[] = {
        {FailingFileSystem::WriteCall, ENOSPC, false, "Disk full while accessing %."},
        {FailingFileSystem::WriteCall, EIO, false, "A hardware I/O error was reported while accessing %."},
        {FailingFileSystem::FsyncCall, EIO, false, "A hardware I/O error was reported while accessing %."},
        {FailingFileSystem::FsyncCall, EINTR, false,
         "An unknown error occurred while accessing % (Interrupted system call)."},
        {FailingFileSystem::CloseCall, EIO, false, "A hardware I/O error was reported while accessing %."},
        {FailingFileSystem::FchmodCall, EPERM, false, "Access to % was denied."},
        {FailingFileSystem::RenameCall, EIO, false, "A hardware I/O error was reported while accessing %."},
        {FailingFileSystem::RenameCall, EMFILE, false, "% could not be opened because there are too many open files."},
        {FailingFileSystem::RenameCall, EXDEV, false,
         "An unknown error occurred while accessing % (Invalid cross-device link)."},
        // Written in place: the old bytes go back whatever fails.
        {FailingFileSystem::ReserveCall, ENOSPC, true, "Disk full while accessing %."},
        // Every write and sync failing: the recovery copy outside the folder
        // cannot be made, and the file is not touched.
        {FailingFileSystem::WriteCall, ENOSPC, true, "Disk full while accessing &."},
        {FailingFileSystem::FsyncCall, EIO, true, "A hardware I/O error was reported while accessing &."},
        {FailingFileSystem::CloseCall, EIO, true, "A hardware I/O error was reported while accessing &."},
    };
    const std::string old = "the old configuration\r\n" + std::string(300, ';');
    for (const Case& tc : cases) {
        TempDir dir;
        const std::string path = dir.file("config.cfg");
        writeBytes(path, old);
        Configuration c;
        std::unique_ptr<FailingFileSystem> fs = tc.inPlace ? std::make_unique<NoTemporaryFileSystem>(tc.call, tc.error)
                                                           : std::make_unique<FailingFileSystem>(tc.call, tc.error);
        std::string message;
        EXPECT_FALSE(SafeFileWriter(*fs).save(path, formatConfiguration(c), message));
        std::string expected = tc.description;
        struct stat st;
        ::stat(path.c_str(), &st);
        const std::string copy =
            recoveryDirectory() + "/" + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino) + ".old";
        if (expected.find('%') != std::string::npos)
            expected.replace(expected.find('%'), 1, path);
        else
            expected.replace(expected.find('&'), 1, copy);
        EXPECT_EQ(message, "File could not be opened: " + expected) << tc.call << " " << tc.inPlace;
        EXPECT_EQ(readBytes(path), old) << tc.call << " " << tc.inPlace;
        // No temporary file stays behind; a backup made before the failure
        // is a harmless extra copy.
        for (const std::string& name : listing(dir.path()))
            EXPECT_TRUE(name == "config.cfg" || (name == "config.bak" && readBytes(dir.file(name)) == old)) << name;
    }
}
