#include "TestSupport.h"

#include <cstdio>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quarvel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Folders a test made read-only must become writable again to be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored))
            ::chmod(it->path().c_str(), 0755);
    }
    ::chmod(m_path.c_str(), 0755);
    std::filesystem::remove_all(m_path, ignored);
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string goldenPath(const std::string& name)
{
    return std::string(QUARVEL_GOLDEN_DIR) + "/" + name;
}

std::string runInChild(const std::function<std::string()>& body, int timeoutSeconds)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        ::close(fds[0]);
        std::string result;
        try {
            result = body();
        } catch (...) {
            ::_exit(3);
        }
        for (std::size_t done = 0; done < result.size();) {
            const ssize_t n = ::write(fds[1], result.data() + done, result.size() - done);
            if (n <= 0)
                ::_exit(4);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool timedOut = false;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd pfd{fds[0], POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (timedOut)
        return "timeout";
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        return "exception";
    return output;
}

bool unprivilegedPrefix(std::string& prefix)
{
    prefix.clear();
    if (::geteuid() != 0)
        return true;
    if (runCommandStatus("setpriv --reuid=65534 --regid=65534 --clear-groups true >/dev/null 2>&1") != 0)
        return false;
    // The unprivileged user cannot write root's home: its recovery copies
    // go to a state folder of its own, removed when the tests end.
    static const struct StateFolder {
        std::string path = "/tmp/quarvel-unprivileged-state-" + std::to_string(::getpid());
        StateFolder()
        {
            ::mkdir(path.c_str(), 0700);
            if (::chown(path.c_str(), 65534, 65534) != 0)
                std::perror("chown");
        }
        ~StateFolder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } state;
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups env XDG_STATE_HOME=" + state.path + " ";
    return true;
}

int runCommandStatus(const std::string& command)
{
    const int status = ::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
