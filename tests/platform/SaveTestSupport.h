#pragma once

// The helpers of the safe writer's tests: a file system that makes one
// kind of call fail, and what a folder holds.
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"
#include "config/SampleConfig.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace save_test {

inline std::vector<std::string> listing(const std::string& dir)
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

inline mode_t mode(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

inline std::string save(const Configuration& c, const std::string& path, bool expected = true)
{
    std::string message;
    EXPECT_EQ(c.saveToFile(path, message), expected) << message;
    return message;
}

// A folder on a file system that holds user extended attributes: the test's
// own temporary folder, else one in the build tree (the working folder) that
// the caller removes; empty, with the reasons, when neither does.
inline std::string attributeFolder(const std::string& temporary, std::string& reasons)
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

inline std::string attribute(const std::string& path, const char* name)
{
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("(none: ") + std::strerror(errno) + ")" : std::string(value, size);
}

} // namespace save_test
