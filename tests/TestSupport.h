#pragma once

#include <functional>
#include <string>

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
std::string goldenPath(const std::string& name);

// Runs body in a forked child and returns what it returned. A child that
// does not end within timeoutSeconds is killed; then, or when it ends by a
// signal or an exception, the result says so: "timeout", "signal <n>",
// "exception". Lets a test survive a call that would hang or abort.
std::string runInChild(const std::function<std::string()>& body, int timeoutSeconds);

// The command prefix that runs a program as the unprivileged user "nobody"
// (setpriv when running as root, nothing otherwise). False when running as
// root and privileges cannot be dropped here.
bool unprivilegedPrefix(std::string& prefix);

// Runs a shell command and returns its exit status, or -1 when it did not
// exit normally.
int runCommandStatus(const std::string& command);
