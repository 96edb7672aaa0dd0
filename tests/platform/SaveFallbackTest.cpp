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
    writeBytes(folder + "/open.cfg", "[[SETTINGS]] old open");
    ::chmod((folder + "/open.cfg").c_str(), 0666);
    writeBytes(folder + "/closed.cfg", "[[SETTINGS]] old closed");
    ::chmod((folder + "/closed.cfg").c_str(), 0644);
    writeBytes(folder + "/linked.cfg", "[[SETTINGS]] old linked");
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
    EXPECT_EQ(readBytes(folder + "/closed.cfg"), "[[SETTINGS]] old closed");

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

TEST(save, RecoveryFoldersComeFromTheStateHomeTheHomeAndThenVarTmp)
{
    const std::string own = "/var/tmp/quarvel-" + std::to_string(::geteuid()) + "/recovery";
    const struct {
        const char* state;
        const char* home;
        std::vector<std::string> folders;
    } cases[] = {
        {"/s", "/h", {"/s/quarvel/recovery", "/h/.local/state/quarvel/recovery", own}},
        {"relative", "/h", {"/h/.local/state/quarvel/recovery", own}},
        {nullptr, "/nonexistent", {"/nonexistent/.local/state/quarvel/recovery", own}},
        {nullptr, nullptr, {own}},
    };
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const auto& tc : cases) {
        tc.state ? ::setenv("XDG_STATE_HOME", tc.state, 1) : ::unsetenv("XDG_STATE_HOME");
        tc.home ? ::setenv("HOME", tc.home, 1) : ::unsetenv("HOME");
        EXPECT_EQ(recoveryDirectories(), tc.folders) << (tc.state ? tc.state : "-") << " " << (tc.home ? tc.home : "-");
    }
    ::unsetenv("XDG_STATE_HOME");
    ::setenv("HOME", home.c_str(), 1);
}

// An account whose home does not exist (as "nobody"'s) writes in place with
// its copy under /var/tmp; where that folder is not its own either, the save
// is refused, naming the file's folder and every recovery folder.
TEST(save, InPlaceWithoutAWritableHomeKeepsItsCopyUnderVarTmp)
{
    std::string prefix;
    if (!unprivilegedPrefix(prefix) || ::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as the unprivileged user and to give /var/tmp a folder of another owner";
    const std::string own = "/var/tmp/quarvel-65534";
    if (fileExists(own))
        GTEST_SKIP() << own << " is there already; it is not this test's to change";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string folder = dir.file("ro");
    std::filesystem::create_directory(folder);
    writeBytes(dir.file("source.cfg"), "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 7\n");
    ::chmod(dir.file("source.cfg").c_str(), 0644);
    const std::string old = "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 5\n";
    writeBytes(folder + "/config.cfg", old);
    ::chmod((folder + "/config.cfg").c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    const auto run = [&] {
        return runCommandStatus(prefix + "env -u XDG_STATE_HOME HOME=/nonexistent " + QUARVEL_CFG_BINARY +
                                " normalize " + dir.file("source.cfg") + " " + folder + "/config.cfg >" +
                                dir.file("out") + " 2>" + dir.file("err"));
    };

    // Not its own: made by another account.
    ::mkdir(own.c_str(), 0755);
    EXPECT_EQ(run(), 2);
    const std::string message = readBytes(dir.file("err"));
    EXPECT_NE(message.find("The folder " + folder + " of " + folder + "/config.cfg is read-only"), std::string::npos)
        << message;
    EXPECT_NE(message.find("/nonexistent/.local/state/quarvel/recovery or " + own + "/recovery"), std::string::npos)
        << message;
    EXPECT_EQ(readBytes(folder + "/config.cfg"), old);
    std::filesystem::remove_all(own);

    EXPECT_EQ(run(), 0) << readBytes(dir.file("err"));
    EXPECT_NE(readBytes(folder + "/config.cfg").find("Port = 7\r\n"), std::string::npos);
    struct stat st {};
    EXPECT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::filesystem::remove_all(own);
}
