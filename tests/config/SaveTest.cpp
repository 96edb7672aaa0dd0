#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SampleConfig.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "config/FileSystem.h"
#include "config/SafeFileWriter.h"

namespace {

std::vector<std::string> Listing(const std::string& dir)
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

    int Open(const std::string& p, int f, mode_t m) override
    {
        const bool temp = p.find("/.quarvel-save.") != std::string::npos;
        return temp && Fail(TempCall) ? -1 : FileSystem::Open(p, f, m);
    }
    ssize_t Write(int fd, const char* d, std::size_t n) override
    {
        // Fail after a first partial write, as a disk that fills up does.
        if (m_call == WriteCall && m_writes++ > 0) {
            errno = m_error;
            return -1;
        }
        return FileSystem::Write(fd, d, m_call == WriteCall ? std::min<std::size_t>(n, 100) : n);
    }
    ssize_t WriteAt(int fd, const char* d, std::size_t n, off_t o) override
    {
        if (m_call == WriteCall && m_positionedWrites++ == 1) { // after a first partial write
            errno = m_error;
            return -1;
        }
        return FileSystem::WriteAt(fd, d, m_call == WriteCall ? std::min<std::size_t>(n, 100) : n, o);
    }
    int Reserve(int fd, off_t size) override { return Fail(ReserveCall) ? -1 : FileSystem::Reserve(fd, size); }
    int Fchmod(int fd, mode_t m) override { return Fail(FchmodCall) ? -1 : FileSystem::Fchmod(fd, m); }
    int Fsync(int fd) override { return Fail(FsyncCall) ? -1 : FileSystem::Fsync(fd); }
    int Close(int fd) override
    {
        const int result = FileSystem::Close(fd);
        return Fail(CloseCall) ? -1 : result;
    }
    int Link(const std::string& a, const std::string& b) override
    {
        return Fail(LinkCall) ? -1 : FileSystem::Link(a, b);
    }
    int Rename(const std::string& a, const std::string& b) override
    {
        return Fail(RenameCall) ? -1 : FileSystem::Rename(a, b);
    }

  private:
    bool Fail(Call call)
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
    int Open(const std::string& p, int f, mode_t m) override
    {
        if (p.find("/.quarvel-save.") != std::string::npos) {
            errno = EACCES;
            return -1;
        }
        return FailingFileSystem::Open(p, f, m);
    }
};

mode_t Mode(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string Save(const CConfiguration& c, const std::string& path, bool expected = true)
{
    std::string message;
    EXPECT_EQ(c.SaveToFile(path, message), expected) << message;
    return message;
}

} // namespace

TEST(Backup, NamesFollowTheRule)
{
    EXPECT_EQ(BackupCandidate("/srv/config.cfg", 1), "/srv/config.bak");
    EXPECT_EQ(BackupCandidate("/srv/config.cfg", 2), "/srv/config.bk2");
    EXPECT_EQ(BackupCandidate("/srv/config.cfg", 13), "/srv/config.bk13");
    EXPECT_EQ(BackupCandidate("config", 1), "config.bak");
    EXPECT_EQ(BackupCandidate("/srv/a.b/cfg", 1), "/srv/a.b/cfg.bak");
    EXPECT_EQ(BackupCandidate("/srv/my.config.cfg", 1), "/srv/my.config.bak");
    EXPECT_EQ(BackupCandidate("/srv/.hidden", 1), "/srv/.bak");
}

TEST(Save, NewFileAndSuccessiveBackupsKeepEveryVersion)
{
    TempDir dir;
    const std::string path = dir.file("config.cfg");
    CConfiguration c;
    EXPECT_EQ(Save(c, path), "Configuration saved to file '" + path + "'.");
    const std::string v1 = ReadBytes(path);
    EXPECT_EQ(v1, FormatConfiguration(c));

    c.Port = 2;
    EXPECT_EQ(Save(c, path), "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                                 "\nOld configuration:\t" + dir.file("config.bak") + "\n");
    const std::string v2 = ReadBytes(path);
    c.Port = 3;
    EXPECT_EQ(Save(c, path), "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                                 "\nOld configuration:\t" + dir.file("config.bk2") + "\n");
    Save(c, path);
    EXPECT_EQ(ReadBytes(dir.file("config.bak")), v1);
    EXPECT_EQ(ReadBytes(dir.file("config.bk2")), v2);
    EXPECT_TRUE(FileExists(dir.file("config.bk3")));
    EXPECT_FALSE(FileExists(dir.file("config.bk1")));
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"config.bak", "config.bk2", "config.bk3", "config.cfg"}));
}

TEST(Save, BackupNamesAreSharedAcrossExtensionsAndIgnoreDotsInFolders)
{
    TempDir dir;
    CConfiguration c;
    WriteBytes(dir.file("config.bak"), "from config.txt");
    WriteBytes(dir.file("config.cfg"), "old");
    EXPECT_NE(Save(c, dir.file("config.cfg")).find(dir.file("config.bk2")), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.file("config.bak")), "from config.txt");

    WriteBytes(dir.file("my.config.cfg"), "old");
    Save(c, dir.file("my.config.cfg"));
    EXPECT_EQ(ReadBytes(dir.file("my.config.bak")), "old");

    WriteBytes(dir.file("plain"), "old");
    Save(c, dir.file("plain"));
    EXPECT_EQ(ReadBytes(dir.file("plain.bak")), "old");

    std::filesystem::create_directory(dir.file("a.b"));
    WriteBytes(dir.file("a.b/cfg"), "old");
    Save(c, dir.file("a.b/cfg"));
    EXPECT_EQ(ReadBytes(dir.file("a.b/cfg.bak")), "old");
    EXPECT_FALSE(FileExists(dir.file("a.bak")));
}

TEST(Save, KeepsPermissionBitsAndOwnerAndGivesNewFilesWhatTheUmaskLeaves)
{
    TempDir dir;
    CConfiguration c;
    const std::string path = dir.file("config.cfg");
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    Save(c, path);
    EXPECT_EQ(Mode(path), 0640u);

    // Written in place when no temporary file can be made: still the file's
    // own bits and owner, not those of a new file.
    NoTemporaryFileSystem noTemp;
    std::string message;
    ASSERT_TRUE(SafeFileWriter(noTemp).Save(path, "in place", message)) << message;
    EXPECT_EQ(ReadBytes(path), "in place");
    EXPECT_EQ(Mode(path), 0640u);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
    }

    const mode_t previous = ::umask(027);
    Save(c, dir.file("fresh.cfg"));
    NoTemporaryFileSystem noTempForNew;
    EXPECT_TRUE(SafeFileWriter(noTempForNew).Save(dir.file("fresh-in-place.cfg"), "new", message)) << message;
    ::umask(previous);
    EXPECT_EQ(Mode(dir.file("fresh.cfg")), 0640u);
    EXPECT_EQ(Mode(dir.file("fresh-in-place.cfg")), 0640u);
}

TEST(Save, SymbolicLinksAreFollowedToTheFileTheyEndAt)
{
    TempDir dir;
    CConfiguration c;
    const std::string text = FormatConfiguration(c);
    std::filesystem::create_directory(dir.file("real"));
    const std::string real = dir.file("real/server.cfg");

    // An absolute link: the target is replaced and backed up beside itself,
    // and the message names it.
    WriteBytes(real, "linked old");
    std::filesystem::create_symlink(real, dir.file("link.cfg"));
    EXPECT_EQ(Save(c, dir.file("link.cfg")), "An old configuration file was found and renamed.\nNew configuration:\t" +
                                                 real + "\nOld configuration:\t" + dir.file("real/server.bak") + "\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cfg")));
    EXPECT_EQ(ReadBytes(real), text);
    EXPECT_EQ(ReadBytes(dir.file("real/server.bak")), "linked old");
    EXPECT_FALSE(FileExists(dir.file("link.bak")));

    // A chain of a relative and an absolute link, written in place because
    // no temporary file can be made: still the final target.
    std::filesystem::create_symlink("link.cfg", dir.file("chain.cfg"));
    NoTemporaryFileSystem noTemp;
    std::string message;
    EXPECT_TRUE(SafeFileWriter(noTemp).Save(dir.file("chain.cfg"), "via chain", message)) << message;
    EXPECT_EQ(message, "An old configuration file was found and renamed.\nNew configuration:\t" + real +
                           "\nOld configuration:\t" + dir.file("real/server.bk2") + "\n");
    EXPECT_EQ(ReadBytes(real), "via chain");
    EXPECT_EQ(ReadBytes(dir.file("real/server.bk2")), text);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("chain.cfg")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cfg")));

    // A dangling link: the file is created where it points.
    std::filesystem::create_symlink("real/new.cfg", dir.file("dangling.cfg"));
    EXPECT_EQ(Save(c, dir.file("dangling.cfg")), "Configuration saved to file '" + dir.file("real/new.cfg") + "'.");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.cfg")));
    EXPECT_EQ(ReadBytes(dir.file("real/new.cfg")), text);

    // A loop of links is an invalid path.
    std::filesystem::create_symlink("loop-b", dir.file("loop-a"));
    std::filesystem::create_symlink("loop-a", dir.file("loop-b"));
    EXPECT_EQ(Save(c, dir.file("loop-a"), false),
              "File could not be opened: " + dir.file("loop-a") + " contains an invalid path.");
}

TEST(Save, MissingFolderAndFolderAtThePathFailWithoutTouchingAnything)
{
    TempDir dir;
    CConfiguration c;
    const std::string missing = dir.file("no/such/config.cfg");
    EXPECT_EQ(Save(c, missing, false), "File could not be opened: " + missing + " was not found.");

    std::filesystem::create_directory(dir.file("config.cfg"));
    EXPECT_EQ(Save(c, dir.file("config.cfg"), false),
              "File could not be opened: Access to " + dir.file("config.cfg") + " was denied.");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("config.cfg")));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.cfg"});
}

TEST(Save, CharacterDevicesAreWrittenAsTheyArePipesAndSocketsAreRefused)
{
    CConfiguration c;
    if (FileExists("/dev/full")) {
        EXPECT_EQ(Save(c, "/dev/full", false), "File could not be opened: Disk full while accessing /dev/full.");
    }
    EXPECT_EQ(Save(c, "/dev/null"), "Configuration saved to file '/dev/null'.");

    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // In a child: a save that opens the pipe for writing would wait forever.
    EXPECT_EQ(RunInChild(
                  [&] {
                      std::string message;
                      CConfiguration config;
                      return (config.SaveToFile(fifo, message) ? "saved: " : "failed: ") + message;
                  },
                  10),
              "failed: File could not be opened: " + fifo + " is not a regular file.");

    const std::string socketPath = dir.file("socket");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(Save(c, socketPath, false), "File could not be opened: " + socketPath + " is not a regular file.");
    ::close(sock);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"fifo", "socket"}));
}

TEST(Save, AnyFailingCallLeavesTheOldFileExactlyAsItWas)
{
    struct Case {
        FailingFileSystem::Call call;
        int error;
        bool inPlace;
        const char* description;
    };
    const Case cases[] = {
        {FailingFileSystem::WriteCall, ENOSPC, false, "Disk full while accessing %."},
        {FailingFileSystem::WriteCall, EIO, false, "Disk full while accessing %."},
        {FailingFileSystem::FsyncCall, EIO, false, "Disk full while accessing %."},
        {FailingFileSystem::CloseCall, EIO, false, "Disk full while accessing %."},
        {FailingFileSystem::FchmodCall, EPERM, false, "Access to % was denied."},
        {FailingFileSystem::RenameCall, EIO, false, "A hardware I/O error was reported while accessing %."},
        {FailingFileSystem::RenameCall, EMFILE, false, "% could not be opened because there are too many open files."},
        {FailingFileSystem::RenameCall, EXDEV, false, "An unknown error occurred while accessing %."},
        // Written in place: the old bytes go back whatever fails.
        {FailingFileSystem::ReserveCall, ENOSPC, true, "Disk full while accessing %."},
        {FailingFileSystem::WriteCall, ENOSPC, true, "Disk full while accessing %."},
        {FailingFileSystem::FsyncCall, EIO, true, "Disk full while accessing %."},
        {FailingFileSystem::CloseCall, EIO, true, "Disk full while accessing %."},
    };
    const std::string old = "the old configuration\r\n" + std::string(300, ';');
    for (const Case& tc : cases) {
        TempDir dir;
        const std::string path = dir.file("config.cfg");
        WriteBytes(path, old);
        CConfiguration c;
        std::unique_ptr<FailingFileSystem> fs = tc.inPlace ? std::make_unique<NoTemporaryFileSystem>(tc.call, tc.error)
                                                           : std::make_unique<FailingFileSystem>(tc.call, tc.error);
        std::string message;
        EXPECT_FALSE(SafeFileWriter(*fs).Save(path, FormatConfiguration(c), message));
        std::string expected = tc.description;
        expected.replace(expected.find('%'), 1, path);
        EXPECT_EQ(message, "File could not be opened: " + expected) << tc.call << " " << tc.inPlace;
        EXPECT_EQ(ReadBytes(path), old) << tc.call << " " << tc.inPlace;
        // No temporary file stays behind; a backup made before the failure
        // is a harmless extra copy.
        for (const std::string& name : Listing(dir.path()))
            EXPECT_TRUE(name == "config.cfg" || (name == "config.bak" && ReadBytes(dir.file(name)) == old)) << name;
    }
}

TEST(Save, WithoutHardLinksTheBackupIsACopyAndWithoutATempFileItWritesInPlace)
{
    TempDir dir;
    const std::string path = dir.file("config.cfg");
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0604);
    CConfiguration c;
    FailingFileSystem noLinks(FailingFileSystem::LinkCall, EPERM);
    std::string message;
    EXPECT_TRUE(SafeFileWriter(noLinks).Save(path, FormatConfiguration(c), message));
    EXPECT_EQ(ReadBytes(dir.file("config.bak")), "old");
    EXPECT_EQ(Mode(dir.file("config.bak")), 0604u);
    EXPECT_EQ(ReadBytes(path), FormatConfiguration(c));

    NoTemporaryFileSystem noTemp;
    EXPECT_TRUE(SafeFileWriter(noTemp).Save(path, "new", message));
    EXPECT_EQ(message, "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                           "\nOld configuration:\t" + dir.file("config.bk2") + "\n");
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(ReadBytes(dir.file("config.bk2")), FormatConfiguration(c));
    // The backup is a second name of the same old file, not the file itself
    // moved away: the new bytes went into a fresh file.
    struct stat live, backup;
    ASSERT_EQ(::stat(path.c_str(), &live), 0);
    ASSERT_EQ(::stat(dir.file("config.bk2").c_str(), &backup), 0);
    EXPECT_NE(live.st_ino, backup.st_ino);

    NoTemporaryFileSystem noTempNoLinks(FailingFileSystem::LinkCall, EPERM);
    EXPECT_TRUE(SafeFileWriter(noTempNoLinks).Save(path, "newer, and longer than before", message));
    EXPECT_EQ(ReadBytes(dir.file("config.bk3")), "new");
    EXPECT_EQ(ReadBytes(path), "newer, and longer than before");
}

TEST(Save, TemporaryFilesOfKilledSavesAreRemovedButNeverThoseOfALiveOne)
{
    TempDir dir;
    const std::string path = dir.file("config.cfg");
    WriteBytes(path, "old");

    // A save killed between writing its temporary file and the rename.
    class KilledAtSync : public FileSystem {
        int Fsync(int) override
        {
            ::raise(SIGKILL);
            return -1;
        }
    };
    EXPECT_EQ(RunInChild(
                  [&] {
                      KilledAtSync fs;
                      std::string message;
                      SafeFileWriter(fs).Save(path, "never", message);
                      return std::string("not killed");
                  },
                  10),
              "signal 9");
    std::vector<std::string> names = Listing(dir.path());
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
    const std::string ofLive = TemporaryFileName("config.cfg", live, "AbC123");
    const std::string ofOtherFile = leftover.substr(0, leftover.size() - 10) + "other.cfg";
    WriteBytes(dir.file(ofLive), "in progress");
    WriteBytes(dir.file(ofOtherFile), "other");
    WriteBytes(dir.file(".quarvel-save.notapid.config.cfg"), "user's");

    CConfiguration c;
    Save(c, path);
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
    std::vector<std::string> expected{ofLive, ofOtherFile, ".quarvel-save.notapid.config.cfg", "config.bak",
                                      "config.cfg"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Listing(dir.path()), expected);
    EXPECT_EQ(ReadBytes(path), FormatConfiguration(c));
    EXPECT_EQ(ReadBytes(dir.file("config.bak")), "old");
}

// Root ignores permission bits: the refusal of a read-only folder is tested
// through the companion run as the unprivileged user "nobody".
TEST(Save, ReadOnlyFolderAsAnUnprivilegedUser)
{
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string folder = dir.file("ro");
    std::filesystem::create_directory(folder);
    const std::string source = dir.file("source.cfg");
    WriteBytes(source, "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 7\n");
    ::chmod(source.c_str(), 0644);
    WriteBytes(folder + "/open.cfg", "old open");
    ::chmod((folder + "/open.cfg").c_str(), 0666);
    WriteBytes(folder + "/closed.cfg", "old closed");
    ::chmod((folder + "/closed.cfg").c_str(), 0644);
    WriteBytes(folder + "/linked.cfg", "old linked");
    ::chmod((folder + "/linked.cfg").c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    std::filesystem::create_symlink(folder + "/linked.cfg", dir.file("link.cfg"));

    std::string prefix;
    if (!UnprivilegedPrefix(prefix))
        GTEST_SKIP() << "running as root and setpriv cannot drop privileges here";
    const std::string tool = std::string(QUARVEL_CFG_BINARY);
    auto run = [&](const std::string& target) {
        return RunCommandStatus(prefix + tool + " normalize " + source + " " + target + " >" + dir.file("out") + " 2>" +
                                dir.file("err"));
    };

    // A writable file in a read-only folder: no temporary file, no backup,
    // written in place.
    EXPECT_EQ(run(folder + "/open.cfg"), 0);
    EXPECT_EQ(ReadBytes(dir.file("out")), "Configuration saved to file '" + folder + "/open.cfg'.\n");
    EXPECT_NE(ReadBytes(folder + "/open.cfg").find("Port = 7\r\n"), std::string::npos);
    EXPECT_EQ(Mode(folder + "/open.cfg"), 0666u);

    // A file the user may not write stays as it was.
    EXPECT_EQ(run(folder + "/closed.cfg"), 2);
    EXPECT_EQ(ReadBytes(dir.file("err")),
              "quarvel-cfg: File could not be opened: Access to " + folder + "/closed.cfg was denied.\n");
    EXPECT_EQ(ReadBytes(folder + "/closed.cfg"), "old closed");

    // A link in a writable folder to a file in the read-only one: the file
    // it points to is written, the link stays a link.
    EXPECT_EQ(run(dir.file("link.cfg")), 0);
    EXPECT_EQ(ReadBytes(dir.file("out")), "Configuration saved to file '" + folder + "/linked.cfg'.\n");
    EXPECT_NE(ReadBytes(folder + "/linked.cfg").find("Port = 7\r\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cfg")));
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"closed.cfg", "linked.cfg", "open.cfg"}));
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"err", "link.cfg", "out", "ro", "source.cfg"}));
}
