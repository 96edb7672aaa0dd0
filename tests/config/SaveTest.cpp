#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
    enum Call { None, MakeTempCall, WriteCall, FchmodCall, FsyncCall, CloseCall, LinkCall, RenameCall, OpenCall };
    FailingFileSystem(Call call, int error) : m_call(call), m_error(error) {}

    int MakeTemp(std::string& t) override { return Fail(MakeTempCall) ? -1 : FileSystem::MakeTemp(t); }
    ssize_t Write(int fd, const char* d, std::size_t n) override
    {
        // Fail after a first partial write, as a disk that fills up does.
        if (m_call == WriteCall && m_writes++ > 0) {
            errno = m_error;
            return -1;
        }
        return FileSystem::Write(fd, d, m_call == WriteCall ? std::min<std::size_t>(n, 100) : n);
    }
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
    int Open(const std::string& p, int f, mode_t m) override { return Fail(OpenCall) ? -1 : FileSystem::Open(p, f, m); }

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
};

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

TEST(Save, KeepsPermissionBitsAndWritesThroughSymbolicLinks)
{
    TempDir dir;
    CConfiguration c;
    const std::string path = dir.file("config.cfg");
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    Save(c, path);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    std::filesystem::create_directory(dir.file("real"));
    WriteBytes(dir.file("real/server.cfg"), "linked old");
    std::filesystem::create_symlink(dir.file("real/server.cfg"), dir.file("link.cfg"));
    const std::string message = Save(c, dir.file("link.cfg"));
    EXPECT_NE(message.find("New configuration:\t" + dir.file("link.cfg")), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cfg")));
    EXPECT_EQ(ReadBytes(dir.file("real/server.cfg")), FormatConfiguration(c));
    EXPECT_EQ(ReadBytes(dir.file("real/server.bak")), "linked old");
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

TEST(Save, FullDiskIsReportedAsDiskFull)
{
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this machine";
    CConfiguration c;
    EXPECT_EQ(Save(c, "/dev/full", false), "File could not be opened: Disk full while accessing /dev/full.");
    EXPECT_TRUE(FileExists("/dev/full"));
}

TEST(Save, AnyFailingCallLeavesTheOldFileExactlyAsItWas)
{
    struct Case {
        FailingFileSystem::Call call;
        int error;
        const char* description;
    };
    const Case cases[] = {
        {FailingFileSystem::WriteCall, ENOSPC, "Disk full while accessing %."},
        {FailingFileSystem::WriteCall, EIO, "Disk full while accessing %."},
        {FailingFileSystem::FsyncCall, EIO, "Disk full while accessing %."},
        {FailingFileSystem::CloseCall, EIO, "Disk full while accessing %."},
        {FailingFileSystem::FchmodCall, EPERM, "Access to % was denied."},
        {FailingFileSystem::RenameCall, EIO, "A hardware I/O error was reported while accessing %."},
        {FailingFileSystem::RenameCall, EMFILE, "% could not be opened because there are too many open files."},
        {FailingFileSystem::RenameCall, EXDEV, "An unknown error occurred while accessing %."},
    };
    for (const Case& tc : cases) {
        TempDir dir;
        const std::string path = dir.file("config.cfg");
        WriteBytes(path, "the old configuration");
        CConfiguration c;
        FailingFileSystem fs(tc.call, tc.error);
        std::string message;
        EXPECT_FALSE(SafeFileWriter(fs).Save(path, FormatConfiguration(c), message));
        std::string expected = tc.description;
        expected.replace(expected.find('%'), 1, path);
        EXPECT_EQ(message, "File could not be opened: " + expected) << tc.call;
        EXPECT_EQ(ReadBytes(path), "the old configuration") << tc.call;
        // No temporary file stays behind; a backup made before a failed
        // rename is a harmless extra copy.
        for (const std::string& name : Listing(dir.path()))
            EXPECT_TRUE(name == "config.cfg" || name == "config.bak") << name;
    }
}

TEST(Save, WithoutHardLinksTheBackupIsARenameAndWithoutATempFileItWritesInPlace)
{
    TempDir dir;
    const std::string path = dir.file("config.cfg");
    WriteBytes(path, "old");
    CConfiguration c;
    FailingFileSystem noLinks(FailingFileSystem::LinkCall, EPERM);
    std::string message;
    EXPECT_TRUE(SafeFileWriter(noLinks).Save(path, FormatConfiguration(c), message));
    EXPECT_EQ(ReadBytes(dir.file("config.bak")), "old");
    EXPECT_EQ(ReadBytes(path), FormatConfiguration(c));

    FailingFileSystem noTemp(FailingFileSystem::MakeTempCall, EACCES);
    EXPECT_TRUE(SafeFileWriter(noTemp).Save(path, "new", message));
    EXPECT_EQ(message, "An old configuration file was found and renamed.\nNew configuration:\t" + path +
                           "\nOld configuration:\t" + dir.file("config.bk2") + "\n");
    EXPECT_EQ(ReadBytes(path), "new");
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
    ::chmod(folder.c_str(), 0555);

    std::string prefix;
    if (::geteuid() == 0) {
        if (::system("setpriv --reuid=65534 --regid=65534 --clear-groups true >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "running as root and setpriv cannot drop privileges here";
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    const std::string tool = std::string(QUARVEL_CFG_BINARY);
    auto run = [&](const std::string& target) {
        const std::string command =
            prefix + tool + " normalize " + source + " " + target + " >" + dir.file("out") + " 2>" + dir.file("err");
        const int status = ::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    // A writable file in a read-only folder: no temporary file, no backup,
    // written in place.
    EXPECT_EQ(run(folder + "/open.cfg"), 0);
    EXPECT_EQ(ReadBytes(dir.file("out")), "Configuration saved to file '" + folder + "/open.cfg'.\n");
    EXPECT_NE(ReadBytes(folder + "/open.cfg").find("Port = 7\r\n"), std::string::npos);

    // A file the user may not write stays as it was.
    EXPECT_EQ(run(folder + "/closed.cfg"), 2);
    EXPECT_EQ(ReadBytes(dir.file("err")),
              "quarvel-cfg: File could not be opened: Access to " + folder + "/closed.cfg was denied.\n");
    EXPECT_EQ(ReadBytes(folder + "/closed.cfg"), "old closed");
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"closed.cfg", "open.cfg"}));
}
