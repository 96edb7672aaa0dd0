#include "diagnostics/PrinterDiagnostics.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <cstdio>
#include <vector>
#include <windows.h>
#else
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "diagnostics/HostAddress.h"
#include "diagnostics/IcmpPing.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/Shell.h"

namespace {

constexpr const char* kTestPage = "testpage.ps";
constexpr const char* kLogFile = "testprint.log";
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string inFolder(const std::string& folder, const char* name)
{
    return folder.empty() ? std::string(name) : folder + kSeparator + name;
}

// A log line stays one line whatever the user typed.
std::string oneLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return line;
}

#ifdef _WIN32
std::string localTimeNow()
{
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    char text[32] = {};
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond);
    return text;
}

// Appends the line in one write, so that runs of several programs do not mix
// their lines. A log that cannot be written does not change the result.
void appendToLog(const std::string& path, const std::string& line)
{
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

// Whether the command interpreter finds lpr.exe: it looks in the current
// folder, then in the folders of PATH (System32 among them).
bool hasLprClient()
{
    std::string folders = ::currentDirectory();
    std::vector<char> path(32767);
    const DWORD length = ::GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size()));
    if (length > 0 && length < path.size())
        folders += ";" + std::string(path.data(), length);
    char found[MAX_PATH];
    return ::SearchPathA(folders.c_str(), "lpr.exe", nullptr, MAX_PATH, found, nullptr) > 0;
}

// Tells in the log that the page went over the program's own LPD client.
constexpr const char* kOwnClient = " (no lpr.exe found: built-in LPD client)";
#else
std::string localTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    if (!::localtime_r(&now, &local) || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0)
        return "?";
    return text;
}

// Appends the line in one write, so that runs of several programs do not mix
// their lines. A log that cannot be written does not change the result.
void appendToLog(const std::string& path, const std::string& line)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    if (::write(fd, line.data(), line.size()) < 0) {
        // Nothing to tell: the log is a help for the user, not a result.
    }
    ::close(fd);
}
#endif

} // namespace

bool PrinterTestEnvironment::ping(const std::string& address, int timeoutMs, int& responseTimeMs)
{
    PingResult result;
    if (!IcmpPing::ping(address, result, timeoutMs, 32))
        return false;
    responseTimeMs = result.ResponseTime;
    return true;
}

std::string PrinterTestEnvironment::currentDirectory()
{
    return ::currentDirectory();
}

std::string PrinterTestEnvironment::dataDirectory()
{
    return QUARVEL_DATA_DIR;
}

std::string PrinterTestEnvironment::executableDirectory()
{
    return ::executableDirectory();
}

bool PrinterTestEnvironment::fileExists(const std::string& path)
{
    return pathStatus(path) == 0;
}

int PrinterTestEnvironment::sendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                                     const std::string& logPath)
{
#ifdef _WIN32
    // The system's LPR client is an optional part of Windows, off by default.
    if (hasLprClient())
        return runCommand(PrinterDiagnostics::testPageCommand(address, queue, pagePath, logPath));
#endif
    LpdOutcome outcome = sendLpdJob(address, queue, pagePath, LpdSender::thisProcess(), lpd);
#ifdef _WIN32
    outcome.detail += kOwnClient;
#endif
    appendToLog(logPath, PrinterDiagnostics::logLine(localTimeNow(), address, queue, outcome));
    return static_cast<int>(outcome.status);
}

int PrinterTestEnvironment::runCommand(const std::string& commandLine)
{
    return ::runCommand(commandLine);
}

PrinterTestEnvironment& PrinterTestEnvironment::system()
{
    static PrinterTestEnvironment environment;
    return environment;
}

PrinterDiagnostics::PrinterDiagnostics(PrinterTestEnvironment& environment) : m_environment(environment) {}

bool PrinterDiagnostics::ping(const std::string& address, std::string& report)
{
    if (isIPv6Address(address)) {
        report = "FAILED!\n\nIPv6 is not supported by the ping: use the printer's IPv4 address";
        return false;
    }
    int responseTime = 0;
    if (m_environment.ping(address, kPingTimeoutMs, responseTime)) {
        report = "SUCCESS!\n\n'" + address + "' successfully pinged.\nResponse time was " +
                 std::to_string(responseTime) + "ms.";
        return true;
    }
    report = "FAILED!\n\nPing to '" + address + "' failed.";
    return false;
}

std::string PrinterDiagnostics::testPageCommand(const std::string& address, const std::string& queue,
                                                const std::string& pagePath, const std::string& logPath)
{
    return "lpr /S " + quoteShellArgument(address) + " /P " + quoteShellArgument(queue) + " /o l " +
           quoteShellArgument(pagePath) + " >> " + quoteShellFileName(logPath);
}

std::string PrinterDiagnostics::logLine(const std::string& time, const std::string& address, const std::string& queue,
                                        const LpdOutcome& outcome)
{
    return time + " " + oneLine(address) + ":" + oneLine(queue) + " [" +
           std::to_string(static_cast<int>(outcome.status)) + "] " + oneLine(outcome.detail) + "\n";
}

std::string PrinterDiagnostics::findTestPage(const std::string& currentDirectory)
{
    // The current directory first, as the page has always been looked for
    // there; then where an installation puts it; then beside the program,
    // as in a build folder.
    for (const std::string& folder :
         {currentDirectory, m_environment.dataDirectory(), m_environment.executableDirectory()}) {
        if (folder.empty())
            continue;
        const std::string path = inFolder(folder, kTestPage);
        if (m_environment.fileExists(path))
            return path;
    }
    return std::string();
}

bool PrinterDiagnostics::sendTestPage(const std::string& address, const std::string& queue, MessageSink& sink)
{
    // Without a readable current directory the names stay relative.
    const std::string directory = m_environment.currentDirectory();
    const std::string pagePath = findTestPage(directory);
    if (pagePath.empty()) {
        sink.showMessage("Printing failed.\n\nTest page file '" + inFolder(directory, kTestPage) + "' not found.",
                         MessageIcon::Error);
        return false;
    }
    // The ping speaks IPv4 only; the printer protocol reaches an IPv6
    // address itself and says when it cannot.
    std::string report;
    if (!isIPv6Address(address) && !ping(address, report)) {
        sink.showMessage("Printing failed.\n\nPrinter '" + address + "' not reachable.", MessageIcon::Error);
        return false;
    }
    const int status = m_environment.sendPage(address, queue, pagePath, inFolder(directory, kLogFile));
    if (status == 0) {
        sink.showMessage("Printing succeed.\n\nCheck output at the printer.", MessageIcon::Warning);
        return true;
    }
    sink.showMessage("Printing failed.\n\n Sending the test page to '" + address + ":" + queue +
                         "' using 'LPR' returned [" + std::to_string(status) + "].\nCheck log file 'testprint.log'.",
                     MessageIcon::Error);
    return false;
}
