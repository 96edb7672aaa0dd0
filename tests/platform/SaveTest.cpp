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

namespace {

std::vector<std::string> listing(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Makes exactly one kind of file call fail with a chosen error.
class FailingFileSystem : public FileSystem {
  public:
    enum Call { None, TempCall, WriteCall, FchmodCall, FsyncCall, CloseCall, LinkCall, RenameCall, ReserveCall };
    FailingFileSystem(Call call, int error) : m_call(call), m_error(error) {}

    int open(const std::string& p, int f, mode_t m) override
    {
        const bool temp = p.find("/.quarvel-save.") != std::string::npos;
        return temp && fail(TempCall) ? -1 : FileSystem::open(p, f, m);
    }
    ssize_t write(int fd, const char* d, std::size_t n) override
    {
        // Fail after a first partial write, as a disk that fills up does.
        if (m_call == WriteCall && m_writes++ > 0) {
            errno = m_error;
            return -1;
        }
        return FileSystem::write(fd, d, m_call == WriteCall ? std::min<std::size_t>(n, 100) : n);
    }
    ssize_t writeAt(int fd, const char* d, std::size_t n, off_t o) override
    {
        if (m_call == WriteCall && m_positionedWrites++ == 1) { // after a first partial write
            errno = m_error;
            return -1;
        }
        return FileSystem::writeAt(fd, d, m_call == WriteCall ? std::min<std::size_t>(n, 100) : n, o);
    }
    int reserve(int fd, off_t size) override { return fail(ReserveCall) ? -1 : FileSystem::reserve(fd, size); }
    int fchmod(int fd, mode_t m) override { return fail(FchmodCall) ? -1 : FileSystem::fchmod(fd, m); }
    int fsync(int fd) override { return fail(FsyncCall) ? -1 : FileSystem::fsync(fd); }
    int close(int fd) override
    {
        const int result = FileSystem::close(fd);
        return fail(CloseCall) ? -1 : result;
    }
    int link(const std::string& a, const std::string& b) override
    {
        return fail(LinkCall) ? -1 : FileSystem::link(a, b);
    }
    int rename(const std::string& a, const std::string& b) override
    {
        return fail(RenameCall) ? -1 : FileSystem::rename(a, b);
    }

  private:
    bool fail(Call call)
    {
        if (call != m_call)
            return false;
        errno = m_error;
        return true;
    }
    Call m_call;
    int m_error;
    int m_writes = 0;
    int m_positionedWrites = 0;
};

// Refuses temporary files, as a folder the user may not write does, and
// optionally hard links; one more call kind may fail as above.
class NoTemporaryFileSystem : public FailingFileSystem {
  public:
    explicit NoTemporaryFileSystem(Call call = None, int error = 0) : FailingFileSystem(call, error) {}
    int open(const std::string& p, int f, mode_t m) override
    {
        if (p.find("/.quarvel-save.") != std::string::npos) {
            errno = EACCES;
            return -1;
        }
        return FailingFileSystem::open(p, f, m);
    }
};

mode_t mode(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string save(const Configuration& c, const std::string& path, bool expected = true)
{
    std::string message;
    EXPECT_EQ(c.saveToFile(path, message), expected) << message;
    return message;
}

// A folder on a file system that holds user extended attributes: the test's
// own temporary folder, else one in the build tree (the working folder) that
// the caller removes; empty, with the reasons, when neither does.
std::string attributeFolder(const std::string& temporary, std::string& reasons)
{
    const std::string inBuildTree =
        std::filesystem::current_path().string() + "/xattr-test-" + std::to_string(::getpid());
    for (const std::string& folder : {temporary, inBuildTree}) {
        std::error_code ignored;
        std::filesystem::create_directory(folder, ignored);
        const std::string probe = folder + "/probe";
        writeBytes(probe, "");
        const bool held = ::setxattr(probe.c_str(), "user.quarvel", "1", 1, 0) == 0;
        reasons += folder + ": " + std::strerror(errno) + "; ";
        ::unlink(probe.c_str());
        if (held)
            return folder;
        if (folder != temporary)
            std::filesystem::remove(folder, ignored);
    }
    return std::string();
}

std::string attribute(const std::string& path, const char* name)
{
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("(none: ") + std::strerror(errno) + ")" : std::string(value, size);
}

} // namespace

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
    EXPECT_EQ(save(c, missing, false), "File could not be opened: " + missing + " was not found.");

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
