#include "FaultInjection.h"
#include <csignal>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/BackupNames.h"
#include "platform/SafeFileWriter.h"

FaultInjectingFileSystem::FaultInjectingFileSystem(int failAt, int error, bool refuseTemporaryFiles, bool refuseLinks)
    : FaultInjectingFileSystem(std::vector<int>{failAt}, error, refuseTemporaryFiles, refuseLinks)
{
}

FaultInjectingFileSystem::FaultInjectingFileSystem(std::vector<int> failing, int error, bool refuseTemporaryFiles,
                                                   bool refuseLinks)
    : m_failing(std::move(failing)), m_error(error), m_refuseTemporaryFiles(refuseTemporaryFiles),
      m_refuseLinks(refuseLinks)
{
}

bool FaultInjectingFileSystem::hit()
{
    ++m_calls;
    if (m_calls == m_killAt)
        ::raise(SIGKILL);
    if (std::find(m_failing.begin(), m_failing.end(), m_calls) == m_failing.end())
        return false;
    errno = m_error;
    return true;
}

int FaultInjectingFileSystem::stat(const std::string& path, struct stat& st)
{
    return hit() ? -1 : FileSystem::stat(path, st);
}
int FaultInjectingFileSystem::lstat(const std::string& path, struct stat& st)
{
    return hit() ? -1 : FileSystem::lstat(path, st);
}
int FaultInjectingFileSystem::readLink(const std::string& path, std::string& target)
{
    return hit() ? -1 : FileSystem::readLink(path, target);
}
int FaultInjectingFileSystem::open(const std::string& path, int flags, mode_t mode)
{
    if (m_refuseTemporaryFiles && path.find("/.quarvel-save.") != std::string::npos) {
        errno = EACCES;
        return -1;
    }
    return hit() ? -1 : FileSystem::open(path, flags, mode);
}
int FaultInjectingFileSystem::fstat(int fd, struct stat& st)
{
    return hit() ? -1 : FileSystem::fstat(fd, st);
}
ssize_t FaultInjectingFileSystem::readAt(int fd, char* data, std::size_t size, off_t offset)
{
    return hit() ? -1 : FileSystem::readAt(fd, data, size, offset);
}
ssize_t FaultInjectingFileSystem::write(int fd, const char* data, std::size_t size)
{
    if (hit()) {
        FileSystem::write(fd, data, size / 2);
        errno = m_error;
        return -1;
    }
    return FileSystem::write(fd, data, size);
}
ssize_t FaultInjectingFileSystem::writeAt(int fd, const char* data, std::size_t size, off_t offset)
{
    if (hit()) {
        FileSystem::writeAt(fd, data, size / 2, offset);
        errno = m_error;
        return -1;
    }
    return FileSystem::writeAt(fd, data, size, offset);
}
int FaultInjectingFileSystem::truncate(int fd, off_t size)
{
    return hit() ? -1 : FileSystem::truncate(fd, size);
}
int FaultInjectingFileSystem::reserve(int fd, off_t size)
{
    return hit() ? -1 : FileSystem::reserve(fd, size);
}
int FaultInjectingFileSystem::fchmod(int fd, mode_t mode)
{
    return hit() ? -1 : FileSystem::fchmod(fd, mode);
}
int FaultInjectingFileSystem::fchown(int fd, uid_t uid, gid_t gid)
{
    return hit() ? -1 : FileSystem::fchown(fd, uid, gid);
}
int FaultInjectingFileSystem::fsync(int fd)
{
    return hit() ? -1 : FileSystem::fsync(fd);
}
int FaultInjectingFileSystem::close(int fd)
{
    // A failing close still releases the descriptor, as on Linux.
    const int result = FileSystem::close(fd);
    if (hit())
        return -1;
    return result;
}
int FaultInjectingFileSystem::link(const std::string& from, const std::string& to)
{
    if (m_refuseLinks) {
        errno = EPERM;
        return -1;
    }
    return hit() ? -1 : FileSystem::link(from, to);
}
int FaultInjectingFileSystem::rename(const std::string& from, const std::string& to)
{
    return hit() ? -1 : FileSystem::rename(from, to);
}
int FaultInjectingFileSystem::unlink(const std::string& path)
{
    return hit() ? -1 : FileSystem::unlink(path);
}
int FaultInjectingFileSystem::listDirectory(const std::string& directory, std::vector<std::string>& names)
{
    return hit() ? -1 : FileSystem::listDirectory(directory, names);
}

int FaultInjectingFileSystem::syncDirectory(const std::string& directory)
{
    return hit() ? -1 : FileSystem::syncDirectory(directory);
}

namespace {

struct SweepState {
    const FaultSweep& sweep;
    std::string folder;
    std::string fileName;
    std::string oldBytes;
    mode_t mode = 0;
};

std::vector<std::string> entries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool isBackupName(const std::string& path, const std::string& candidate)
{
    const BackupNames names(path, BackupNames::Separators::Posix);
    for (int n = 1; n <= 100; ++n) {
        if (names.candidate(n) == candidate)
            return true;
    }
    return false;
}

// Puts the folder back as the sweep found it: the old file and nothing else.
void reset(const SweepState& state)
{
    for (const std::string& name : entries(state.folder)) {
        if (name != state.fileName)
            ::unlink((state.folder + "/" + name).c_str());
    }
    if (!state.sweep.exists) {
        ::unlink(state.sweep.path.c_str());
        return;
    }
    const int fd = ::open(state.sweep.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd >= 0) {
        if (::write(fd, state.oldBytes.data(), state.oldBytes.size()) != static_cast<ssize_t>(state.oldBytes.size()))
            std::perror("reset");
        ::close(fd);
    }
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

void check(const SweepState& state, bool saved, const std::string& message, const std::string& label,
           std::vector<std::string>& violations)
{
    const FaultSweep& sweep = state.sweep;
    auto violation = [&](const std::string& what) { violations.push_back(label + ": " + what); };
    const bool present = fileExists(sweep.path);
    const bool notDurable = message.find("', but it may not survive a power loss: ") != std::string::npos;
    if (notDurable) {
        if (saved)
            violation("success reported for a save that may not survive a power loss");
        if (!present || readBytes(sweep.path) != sweep.newBytes)
            violation("\"saved\" reported, but the path does not hold the new file");
    } else if (saved) {
        if (!startsWith(message, "Configuration saved to file '") &&
            !startsWith(message, "An old configuration file was found and renamed.\n"))
            violation("success with the message \"" + message + "\"");
        if (!present || readBytes(sweep.path) != sweep.newBytes)
            violation("success reported, but the path does not hold the new file");
    } else {
        if (!startsWith(message, "File could not be opened: "))
            violation("failure with the message \"" + message + "\"");
        const std::string kept = "\nThe file may be incomplete; the old content is in ";
        if (const std::size_t at = message.find(kept); at != std::string::npos) {
            std::string copy = message.substr(at + kept.size());
            copy = copy.substr(0, copy.find(".old.") + 4);
            if (!fileExists(copy) || readBytes(copy) != state.oldBytes)
                violation("the recovery copy named does not hold the old bytes (" + message + ")");
            for (const std::string& name : entries(recoveryDirectory()))
                ::unlink((recoveryDirectory() + "/" + name).c_str());
        } else if (sweep.exists && (!present || readBytes(sweep.path) != state.oldBytes))
            violation("failure reported, but the path does not hold the old file (" + message + ")");
        if (!sweep.exists && present)
            violation("failure reported, but a file stays at the path (" + message + ")");
    }
    const bool told = message.find("\nThe recovery files of this save could not be removed from ") != std::string::npos;
    for (const std::string& name : entries(recoveryDirectory()))
        if (!told)
            violation("recovery file " + name + " stays after the save ended (" + message + ")");
    struct stat st;
    if (sweep.exists && ::stat(sweep.path.c_str(), &st) == 0 && (st.st_mode & 07777) != state.mode)
        violation("permission bits changed");
    for (const std::string& name : entries(state.folder)) {
        if (name == state.fileName)
            continue;
        if (message.find("\nThe backup " + state.folder + "/" + name + " is incomplete and could not be removed.") !=
            std::string::npos)
            continue;
        const std::string full = state.folder + "/" + name;
        if (!isBackupName(sweep.path, full))
            violation("stray file " + name);
        else if (readBytes(full) != state.oldBytes)
            violation("backup " + name + " does not hold the old bytes");
    }
}

} // namespace

FaultSweepResult runFaultSweep(const FaultSweep& sweep)
{
    SweepState state{sweep, std::filesystem::path(sweep.path).parent_path().string(),
                     std::filesystem::path(sweep.path).filename().string(), std::string(), 0};
    if (sweep.exists) {
        state.oldBytes = readBytes(sweep.path);
        struct stat st;
        if (::stat(sweep.path.c_str(), &st) == 0)
            state.mode = st.st_mode & 07777;
    }

    // The recovery copies go to a state folder of the sweep's own.
    char stateHome[] = "/tmp/quarvel-sweep-state-XXXXXX";
    if (::mkdtemp(stateHome))
        ::setenv("XDG_STATE_HOME", stateHome, 1);

    FaultSweepResult result;
    auto run = [&](const std::vector<int>& failing, int error, const std::string& label) {
        reset(state);
        for (const std::string& name : entries(recoveryDirectory()))
            ::unlink((recoveryDirectory() + "/" + name).c_str());
        FaultInjectingFileSystem fs(failing, error, sweep.refuseTemporaryFiles, sweep.refuseLinks);
        std::string message;
        const TextProducer pieces = [&sweep](const std::function<bool(std::string_view)>& write) {
            for (std::size_t at = 0; at < sweep.newBytes.size(); at += sweep.pieceSize)
                if (!write(std::string_view(sweep.newBytes).substr(at, sweep.pieceSize)))
                    return false;
            return true;
        };
        const bool saved = sweep.pieceSize ? SafeFileWriter(fs).save(sweep.path, pieces, message)
                                           : SafeFileWriter(fs).save(sweep.path, sweep.newBytes, message);
        (saved ? result.successes : result.failures)++;
        check(state, saved, message, label, result.violations);
        return fs.calls();
    };

    result.calls = run({}, 0, "undisturbed");
    if (result.failures != 0)
        result.violations.push_back("the undisturbed save failed");
    result.successes = result.failures = 0;
    const int errors[] = {ENOSPC, EIO, EACCES, EDQUOT};
    int most = result.calls; // calls of the longest run with one fault
    for (const int error : errors) {
        for (int k = 1; k <= result.calls; ++k) {
            most = std::max(most, run({k}, error,
                                      "call " + std::to_string(k) + " of " + std::to_string(result.calls) +
                                          " failing with " + std::strerror(error)));
            ++result.faults;
        }
    }
    if (sweep.faultsPerRun == 3) {
        result.successes = result.failures = result.faults = 0;
        result.combinations = static_cast<long>(most) * (most - 1) * (most - 2) / 6;
        const long step = sweep.maxRuns > 0 ? (result.combinations + sweep.maxRuns - 1) / sweep.maxRuns : 1;
        long index = 0;
        for (int a = 1; a <= most; ++a)
            for (int b = a + 1; b <= most; ++b)
                for (int c = b + 1; c <= most; ++c, ++index) {
                    if (index % step != 0)
                        continue;
                    const int error = errors[(index / step) % 4];
                    run({a, b, c}, error,
                        "calls " + std::to_string(a) + ", " + std::to_string(b) + " and " + std::to_string(c) + " of " +
                            std::to_string(most) + " failing with " + std::strerror(error));
                    ++result.faults;
                }
    }
    reset(state);
    std::error_code ignored;
    std::filesystem::remove_all(stateHome, ignored);
    return result;
}
