// Faults around a save: every single failing file call, a real read-only
// folder for an unprivileged user, and small file systems that are full or
// out of inodes.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

#include "FaultInjection.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "platform/SafeFileWriter.h"

namespace {

void expectNoViolations(const char* scenario, const FaultSweepResult& result)
{
    std::printf("[ sweep    ] %s: %d calls, %d single faults, %d saved, %d failed, %zu violations\n", scenario,
                result.calls, result.faults, result.successes, result.failures, result.violations.size());
    EXPECT_GT(result.calls, 5) << scenario;
    EXPECT_EQ(result.faults, 4 * result.calls) << scenario;
    for (std::size_t i = 0; i < result.violations.size() && i < 20; ++i)
        ADD_FAILURE() << scenario << ": " << result.violations[i];
}

// A configuration text of a few KiB, longer than the old files below.
std::string newText()
{
    Configuration c;
    for (int i = 0; i < 8; ++i) {
        PrinterRecord p;
        p.PrinterAETitle = "PRINTER" + std::to_string(i);
        c.Printers.add(p);
    }
    return formatConfiguration(c);
}

} // namespace

TEST(SaveFaults, EverySingleFailingCallLeavesTheCompleteOldOrNewFile)
{
    const std::string longer = newText();
    const std::string shorter = "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n";
    struct Scenario {
        const char* name;
        bool exists;
        std::string oldBytes;
        std::string newBytes;
        bool refuseTemporaryFiles;
        bool refuseLinks;
    };
    const Scenario scenarios[] = {
        {"replace through a temporary file", true, shorter, longer, false, false},
        {"replace, backup copied where links are refused", true, shorter, longer, false, true},
        {"new file through a temporary file", false, "", longer, false, false},
        {"in place, growing", true, shorter, longer, true, false},
        {"in place, shrinking", true, longer, shorter, true, false},
        {"in place, new file", false, "", longer, true, false},
    };
    for (const Scenario& scenario : scenarios) {
        TempDir dir;
        FaultSweep sweep;
        sweep.path = dir.file("config.cfg");
        sweep.exists = scenario.exists;
        if (scenario.exists) {
            writeBytes(sweep.path, scenario.oldBytes);
            ::chmod(sweep.path.c_str(), 0640);
        }
        sweep.newBytes = scenario.newBytes;
        sweep.refuseTemporaryFiles = scenario.refuseTemporaryFiles;
        sweep.refuseLinks = scenario.refuseLinks;
        expectNoViolations(scenario.name, runFaultSweep(sweep));
    }
}

// Three failing calls in one save on the in-place path, where the old bytes
// must be written back after a fault and that can fail too: each outcome is
// the complete old or new file, said truly, or a message that names the
// recovery copy holding the old bytes. The combinations are sampled to keep
// the run short.
TEST(SaveFaults, ThreeFaultsInOneInPlaceSaveAreEachToldTruly)
{
    const std::string longer = newText();
    const std::string shorter = "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n";
    struct Row {
        const char* name;
        std::string oldBytes;
        std::string newBytes;
    };
    const Row rows[] = {
        {"in place, growing, three faults", shorter, longer},
        {"in place, shrinking, three faults", longer, shorter},
    };
    for (const Row& row : rows) {
        TempDir dir;
        FaultSweep sweep;
        sweep.path = dir.file("config.cfg");
        writeBytes(sweep.path, row.oldBytes);
        ::chmod(sweep.path.c_str(), 0640);
        sweep.newBytes = row.newBytes;
        sweep.refuseTemporaryFiles = true;
        sweep.faultsPerRun = 3;
        sweep.maxRuns = 600;
        const FaultSweepResult result = runFaultSweep(sweep);
        std::printf("[ sweep    ] %s: %d calls, %ld combinations, %d runs, %d saved, %d failed, %zu violations\n",
                    row.name, result.calls, result.combinations, result.faults, result.successes, result.failures,
                    result.violations.size());
        EXPECT_GT(result.faults, 500) << row.name;
        EXPECT_GT(result.successes, 0) << row.name;
        for (std::size_t i = 0; i < result.violations.size() && i < 20; ++i)
            ADD_FAILURE() << row.name << ": " << result.violations[i];
    }
}

// A save in place killed at each of its file calls in turn, in a child
// process: afterwards the file holds the old or the new bytes whole and a
// load says nothing, or a load names the recovery copy, which holds the old
// bytes whole.
TEST(SaveFaults, AnInPlaceSaveKilledAtAnyCallIsToldTrulyOnTheNextLoad)
{
    const std::string longer = newText();
    const std::string shorter = "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n";
    const std::pair<std::string, std::string> rows[] = {{shorter, longer}, {longer, shorter}};
    for (const auto& [oldBytes, newBytes] : rows) {
        TempDir state;
        ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
        int killedAt = 0, told = 0;
        for (int call = 1; call < 1000; ++call) {
            // A fresh folder each time: backups left by earlier runs would
            // change the calls of the next.
            TempDir dir;
            const std::string path = dir.file("config.cfg");
            writeBytes(path, oldBytes);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                FaultInjectingFileSystem fs(0, 0, true, false);
                fs.killAt(call);
                std::string message;
                SafeFileWriter(fs).save(path, newBytes, message);
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            if (!WIFSIGNALED(status))
                break; // the save ended before this call: every call was a kill point
            ++killedAt;
            const std::string note = interruptedSaveNote(path);
            const std::string now = readBytes(path);
            if (note.empty()) {
                EXPECT_TRUE(now == oldBytes || now == newBytes) << "killed at call " << call << ", nothing told";
                continue;
            }
            ++told;
            const std::string marker = "The old content is in ";
            const std::size_t at = note.find(marker);
            ASSERT_NE(at, std::string::npos) << note;
            const std::string copy = note.substr(at + marker.size(), note.size() - at - marker.size() - 1);
            EXPECT_EQ(readBytes(copy), oldBytes) << "killed at call " << call << ": " << note;
            std::filesystem::remove_all(state.path() + "/quarvel");
        }
        std::printf("[ kills    ] %zu to %zu bytes: killed at %d calls, %d told of an interrupted save\n",
                    oldBytes.size(), newBytes.size(), killedAt, told);
        EXPECT_GT(killedAt, 10);
        EXPECT_GT(told, 0);
        ::unsetenv("XDG_STATE_HOME");
    }
}

// The same sweep where the folder really refuses new files: run as the
// unprivileged user, since root may write any folder.

// The same when the text comes piece by piece, as a configuration is saved:
// a write failing after some pieces leaves no half file either.
TEST(SaveFaults, AStreamedSaveLeavesTheCompleteOldOrNewFile)
{
    struct Row {
        const char* name;
        bool exists;
        bool refuseTemporaryFiles;
    };
    const Row rows[] = {
        {"replace through a temporary file", true, false},
        {"new file through a temporary file", false, false},
        {"in place", true, true},
    };
    for (const Row& row : rows) {
        TempDir dir;
        FaultSweep sweep;
        sweep.path = dir.file("config.cfg");
        sweep.exists = row.exists;
        if (row.exists)
            writeBytes(sweep.path, "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n");
        sweep.newBytes = newText();
        sweep.refuseTemporaryFiles = row.refuseTemporaryFiles;
        sweep.pieceSize = 1000;
        expectNoViolations(row.name, runFaultSweep(sweep));
    }
}
TEST(SaveFaults, InPlaceInAReadOnlyFolderAsAnUnprivilegedUser)
{
    std::string prefix;
    if (!unprivilegedPrefix(prefix))
        GTEST_SKIP() << "running as root and setpriv cannot drop privileges here";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string longer = newText();
    const std::string shorter = "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n";
    writeBytes(dir.file("longer"), longer);
    writeBytes(dir.file("shorter"), shorter);
    ::chmod(dir.file("longer").c_str(), 0644);
    ::chmod(dir.file("shorter").c_str(), 0644);

    // Growing and shrinking, each in a read-only folder of its own; growing
    // also with three faults in each run, sampled.
    for (const auto& [folderName, oldName, newName, maxRuns] :
         {std::tuple{"grow", "shorter", "longer", ""}, std::tuple{"shrink", "longer", "shorter", ""},
          std::tuple{"grow3", "shorter", "longer", " 300"}}) {
        const std::string folder = dir.file(folderName);
        const std::string target = folder + "/config.cfg";
        std::filesystem::create_directory(folder);
        writeBytes(target, readBytes(dir.file(oldName)));
        ::chmod(target.c_str(), 0666);
        ::chmod(folder.c_str(), 0555);
        const int status = runCommandStatus(prefix + QUARVEL_FAULT_SWEEP_BINARY + " " + target + " " +
                                            dir.file(newName) + maxRuns + " >" + dir.file("out") + " 2>&1");
        const std::string out = readBytes(dir.file("out"));
        std::printf("[ sweep    ] read-only folder, %s: %s", folderName, out.substr(0, out.find('\n') + 1).c_str());
        EXPECT_EQ(status, 0) << out.substr(0, 4000);
        EXPECT_NE(out.find(" violations 0\n"), std::string::npos) << out.substr(0, 4000);
        EXPECT_EQ(readBytes(target), readBytes(dir.file(oldName)));
    }
}

namespace {

// A tmpfs of its own, mounted in a private mount namespace of this test's
// process so that nothing outside sees it and nothing stays mounted.
class SmallFileSystem {
  public:
    // Empty on success, else the reason it cannot be mounted here.
    std::string mount(const std::string& point, const std::string& options)
    {
        if (::geteuid() != 0)
            return "mounting a file system needs root";
        if (::unshare(CLONE_NEWNS) != 0)
            return std::string("no private mount namespace: ") + std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("mounts cannot be made private: ") + std::strerror(errno);
        std::filesystem::create_directory(point);
        if (::mount("quarvel-test", point.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
            return std::string("tmpfs cannot be mounted: ") + std::strerror(errno);
        m_point = point;
        return std::string();
    }
    ~SmallFileSystem()
    {
        if (!m_point.empty())
            ::umount2(m_point.c_str(), MNT_DETACH);
    }

  private:
    std::string m_point;
};

// Writes data into folder until its file system has no block left.
void fillBlocks(const std::string& folder)
{
    const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string block(4096, 'x');
    while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
    }
    if (fd >= 0)
        ::close(fd);
}

// Makes empty files in folder until its file system has no inode left.
void fillInodes(const std::string& folder)
{
    for (int i = 0; i < 100000; ++i) {
        const int fd = ::open((folder + "/filler" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            break;
        ::close(fd);
    }
}

} // namespace

TEST(SaveFaults, FullSmallFileSystemWithAReadOnlyFolderKeepsTheFileByteForByte)
{
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    SmallFileSystem tmpfs;
    const std::string point = dir.file("mnt");
    if (const std::string reason = tmpfs.mount(point, "size=32k,mode=0755"); !reason.empty())
        GTEST_SKIP() << reason;
    std::string prefix;
    if (!unprivilegedPrefix(prefix))
        GTEST_SKIP() << "running as root and setpriv cannot drop privileges here";

    const std::string folder = point + "/ro";
    std::filesystem::create_directory(folder);
    const std::string target = folder + "/config.cfg";
    const std::string old = "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n";
    writeBytes(target, old);
    ::chmod(target.c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    fillBlocks(point);
    const std::string source = dir.file("source.cfg");
    writeBytes(source, newText()); // needs more blocks than the old file has
    ::chmod(source.c_str(), 0644);

    const std::string tool = QUARVEL_CFG_BINARY;
    const std::string redirect = " >" + dir.file("out") + " 2>" + dir.file("err");
    EXPECT_EQ(runCommandStatus(prefix + tool + " normalize " + source + " " + target + redirect), 2);
    EXPECT_EQ(readBytes(dir.file("err")),
              "quarvel-cfg: File could not be opened: Disk full while accessing " + target + ".\n");
    EXPECT_EQ(readBytes(target), old);
    // Root may make a temporary file there; it fills up just the same.
    EXPECT_EQ(runCommandStatus(tool + " normalize " + source + " " + target + redirect), 2);
    EXPECT_EQ(readBytes(dir.file("err")),
              "quarvel-cfg: File could not be opened: Disk full while accessing " + target + ".\n");
    EXPECT_EQ(readBytes(target), old);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"config.cfg"});
}

TEST(SaveFaults, FileSystemWithoutFreeInodesNeverLeavesThePathEmpty)
{
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    SmallFileSystem tmpfs;
    const std::string point = dir.file("mnt");
    if (const std::string reason = tmpfs.mount(point, "size=1m,nr_inodes=4,mode=0777"); !reason.empty())
        GTEST_SKIP() << reason;
    std::string prefix;
    if (!unprivilegedPrefix(prefix))
        GTEST_SKIP() << "running as root and setpriv cannot drop privileges here";

    const std::string target = point + "/config.cfg";
    const std::string old = "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nPort = 104\r\n";
    writeBytes(target, old);
    ::chmod(target.c_str(), 0666);
    fillInodes(point);
    ASSERT_LT(::open((point + "/one-more").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600), 0);
    ASSERT_EQ(errno, ENOSPC);
    const std::string source = dir.file("source.cfg");
    const std::string text = newText();
    writeBytes(source, text);
    ::chmod(source.c_str(), 0644);

    // No temporary file and no backup can be made: the file is written in
    // place and the path always holds a complete configuration.
    const std::string tool = QUARVEL_CFG_BINARY;
    const std::string redirect = " >" + dir.file("out") + " 2>" + dir.file("err");
    EXPECT_EQ(runCommandStatus(prefix + tool + " normalize " + source + " " + target + redirect), 0)
        << readBytes(dir.file("err"));
    EXPECT_EQ(readBytes(dir.file("out")), "Configuration saved to file '" + target + "'.\n");
    EXPECT_EQ(readBytes(target), text);
    EXPECT_FALSE(fileExists(point + "/config.bak"));
}
