// The safe writer where the usual way is closed: no hard links, no
// temporary file, a read-only folder, saves killed half way, and what
// stays with the file besides its bytes.
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

TEST(save, WithoutHardLinksTheBackupIsACopyAndWithoutATempFileItWritesInPlace)
{
    TempDir dir;
    const std::string path = dir.file("config.cfg");
    writeBytes(path, "old");
    ::chmod(path.c_str(), 0604);
    Configuration c;
    FailingFileSystem noLinks(FailingFileSystem::LinkCall, EPERM);
    std::string message;
    EXPECT_TRUE(SafeFileWriter(noLinks).save(path, formatConfiguration(c), message));
    EXPECT_EQ(readBytes(dir.file("config.bak")), "old");
    EXPECT_EQ(mode(dir.file("config.bak")), 0604u);
    EXPECT_EQ(readBytes(path), formatConfiguration(c));

    NoTemporaryFileSystem noTemp;
    EXPECT_TRUE(SafeFileWriter(noTemp).save(path, "new", message));
    EXPECT_EQ(message, "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                           "\nOld configuration:\t" + dir.file("config.bk2") + "\n");
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(readBytes(dir.file("config.bk2")), formatConfiguration(c));
    // The backup is a second name of the same old file, not the file itself
    // moved away: the new bytes went into a fresh file.
    struct stat live, backup;
    ASSERT_EQ(::stat(path.c_str(), &live), 0);
    ASSERT_EQ(::stat(dir.file("config.bk2").c_str(), &backup), 0);
    EXPECT_NE(live.st_ino, backup.st_ino);

    NoTemporaryFileSystem noTempNoLinks(FailingFileSystem::LinkCall, EPERM);
    EXPECT_TRUE(SafeFileWriter(noTempNoLinks).save(path, "newer, and longer than before", message));
    EXPECT_EQ(readBytes(dir.file("config.bk3")), "new");
    EXPECT_EQ(readBytes(path), "newer, and longer than before");
}

TEST(save, TemporaryFilesOfKilledSavesAreRemovedButNeverThoseOfALiveOne)
{
    TempDir dir;
    const std::string path = dir.file("config.cfg");
    writeBytes(path, "old");

    // A save killed between writing its temporary file and the rename.
    class KilledAtSync : public FileSystem {
        int fsync(int) override
        {
            ::raise(SIGKILL);
            return -1;
        }
    };
    EXPECT_EQ(runInChild(
                  [&] {
                      KilledAtSync fs;
                      std::string message;
                      SafeFileWriter(fs).save(path, "never", message);
                      return std::string("not killed");
                  },
                  10),
              "signal 9");
    std::vector<std::string> names = listing(dir.path());
    ASSERT_EQ(names.size(), 2u);
    const std::string leftover = names[0];
    EXPECT_EQ(leftover.rfind(".quarvel-save.", 0), 0u) << leftover;
    EXPECT_EQ(leftover.substr(leftover.size() - 11), ".config.cfg");

    // A save in progress in a live process, and leftovers of other files or
    // of no save at all.
    const pid_t live = ::fork();
    ASSERT_GE(live, 0);
    if (live == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::string ofLive = temporaryFileName("config.cfg", live, "AbC123");
    const std::string ofOtherFile = leftover.substr(0, leftover.size() - 10) + "other.cfg";
    writeBytes(dir.file(ofLive), "in progress");
    writeBytes(dir.file(ofOtherFile), "other");
    writeBytes(dir.file(".quarvel-save.notapid.config.cfg"), "user's");

    Configuration c;
    save(c, path);
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
    std::vector<std::string> expected{ofLive, ofOtherFile, ".quarvel-save.notapid.config.cfg", "config.bak",
                                      "config.cfg"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing(dir.path()), expected);
    EXPECT_EQ(readBytes(path), formatConfiguration(c));
    EXPECT_EQ(readBytes(dir.file("config.bak")), "old");
}

// Root ignores permission bits: the refusal of a read-only folder is tested
// through the companion run as the unprivileged user "nobody".
TEST(save, ReadOnlyFolderAsAnUnprivilegedUser)
{
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string folder = dir.file("ro");
    std::filesystem::create_directory(folder);
    const std::string source = dir.file("source.cfg");
    writeBytes(source, "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 7\n");
    ::chmod(source.c_str(), 0644);
    writeBytes(folder + "/open.cfg", "old open");
    ::chmod((folder + "/open.cfg").c_str(), 0666);
    writeBytes(folder + "/closed.cfg", "old closed");
    ::chmod((folder + "/closed.cfg").c_str(), 0644);
    writeBytes(folder + "/linked.cfg", "old linked");
    ::chmod((folder + "/linked.cfg").c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    std::filesystem::create_symlink(folder + "/linked.cfg", dir.file("link.cfg"));

    std::string prefix;
    if (!unprivilegedPrefix(prefix))
        GTEST_SKIP() << "running as root and setpriv cannot drop privileges here";
    const std::string tool = std::string(QUARVEL_CFG_BINARY);
    auto run = [&](const std::string& target) {
        return runCommandStatus(prefix + tool + " normalize " + source + " " + target + " >" + dir.file("out") + " 2>" +
                                dir.file("err"));
    };

    // A writable file in a read-only folder: no temporary file, no backup,
    // written in place.
    EXPECT_EQ(run(folder + "/open.cfg"), 0);
    EXPECT_EQ(readBytes(dir.file("out")), "Configuration saved to file '" + folder + "/open.cfg'.\n");
    EXPECT_NE(readBytes(folder + "/open.cfg").find("Port = 7\r\n"), std::string::npos);
    EXPECT_EQ(mode(folder + "/open.cfg"), 0666u);

    // A file the user may not write stays as it was.
    EXPECT_EQ(run(folder + "/closed.cfg"), 2);
    EXPECT_EQ(readBytes(dir.file("err")),
              "quarvel-cfg: File could not be opened: Access to " + folder + "/closed.cfg was denied.\n");
    EXPECT_EQ(readBytes(folder + "/closed.cfg"), "old closed");

    // A link in a writable folder to a file in the read-only one: the file
    // it points to is written, the link stays a link.
    EXPECT_EQ(run(dir.file("link.cfg")), 0);
    EXPECT_EQ(readBytes(dir.file("out")), "Configuration saved to file '" + folder + "/linked.cfg'.\n");
    EXPECT_NE(readBytes(folder + "/linked.cfg").find("Port = 7\r\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cfg")));
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"closed.cfg", "linked.cfg", "open.cfg"}));
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"err", "link.cfg", "out", "ro", "source.cfg"}));
}

// What the old file carried besides its bytes. Replaced through a temporary
// file, the new file gets its extended attributes, and other hard links keep
// the old inode, which the message says; written in place, the inode and all
// it carries stay.
TEST(save, KeepsExtendedAttributesAndNamesTheHardLinksThatKeepTheOldFile)
{
    const std::string another = "\nThe file had another hard link; it keeps the old configuration.";
    const std::string others = "\nThe file had other hard links; they keep the old configuration.";
    struct Row {
        const char* name;
        bool inPlace;
        bool attribute;
        int links;
        std::string note;
    };
    const Row rows[] = {
        {"attribute, replaced", false, true, 1, ""},          {"attribute, in place", true, true, 1, ""},
        {"another link, replaced", false, false, 2, another}, {"two other links, replaced", false, false, 3, others},
        {"another link, in place", true, false, 2, ""},
    };
    TempDir dir;
    std::string reasons;
    const std::string attributes = attributeFolder(dir.path(), reasons);
    bool skipped = false;
    for (const Row& row : rows) {
        if (row.attribute && attributes.empty()) {
            skipped = true;
            continue;
        }
        const std::string folder = attributes.empty() ? dir.path() : attributes;
        const std::string stem = folder + "/" + std::to_string(&row - rows);
        const std::string path = stem + ".cfg";
        writeBytes(path, "old");
        if (row.attribute) {
            ASSERT_EQ(::setxattr(path.c_str(), "user.quarvel.label", "print-server", 12, 0), 0) << row.name;
        }
        for (int n = 1; n < row.links; ++n) {
            ASSERT_EQ(::link(path.c_str(), (path + std::to_string(n)).c_str()), 0) << row.name;
        }
        std::unique_ptr<FailingFileSystem> fs = row.inPlace
                                                    ? std::make_unique<NoTemporaryFileSystem>()
                                                    : std::make_unique<FailingFileSystem>(FailingFileSystem::None, 0);
        std::string message;
        EXPECT_TRUE(SafeFileWriter(*fs).save(path, "new", message)) << row.name << ": " << message;
        EXPECT_EQ(message, "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                               "\nOld configuration:\t" + stem + ".bak\n" + row.note)
            << row.name;
        EXPECT_EQ(readBytes(path), "new") << row.name;
        EXPECT_EQ(readBytes(stem + ".bak"), "old") << row.name;
        if (row.attribute) {
            EXPECT_EQ(attribute(path, "user.quarvel.label"), "print-server") << row.name;
        }
        for (int n = 1; n < row.links; ++n) {
            EXPECT_EQ(readBytes(path + std::to_string(n)), row.inPlace ? "new" : "old") << row.name;
        }
    }
    if (attributes != dir.path() && !attributes.empty())
        std::filesystem::remove_all(attributes);
    if (skipped)
        GTEST_SKIP() << "no folder here holds user extended attributes (" << reasons << ")";
}
