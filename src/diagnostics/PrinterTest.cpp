#include "diagnostics/PrinterTest.h"

#include <sys/stat.h>
#ifndef _WIN32
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "diagnostics/IcmpPing.h"
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

std::string InFolder(const std::string& folder, const char* name)
{
    return folder.empty() ? std::string(name) : folder + kSeparator + name;
}

// A log line stays one line whatever the user typed.
std::string OneLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return line;
}

#ifndef _WIN32
std::string LocalTimeNow()
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
void AppendToLog(const std::string& path, const std::string& line)
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

bool PrinterTestEnvironment::Ping(const std::string& address, int timeoutMs, int& responseTimeMs)
{
    PingResult result;
    if (!CIcmpPing::Ping(address, result, timeoutMs, 32))
        return false;
    responseTimeMs = result.ResponseTime;
    return true;
}

std::string PrinterTestEnvironment::CurrentDirectory()
{
    return ::CurrentDirectory();
}

std::string PrinterTestEnvironment::DataDirectory()
{
    return QUARVEL_DATA_DIR;
}

std::string PrinterTestEnvironment::ExecutableDirectory()
{
    return ::ExecutableDirectory();
}

bool PrinterTestEnvironment::FileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

int PrinterTestEnvironment::SendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                                     const std::string& logPath)
{
#ifdef _WIN32
    return RunCommand(CPrinterTest::TestPageCommand(address, queue, pagePath, logPath));
#else
    const LpdOutcome outcome = SendLpdJob(address, queue, pagePath, LpdSender::ThisProcess(), lpd);
    AppendToLog(logPath, CPrinterTest::LogLine(LocalTimeNow(), address, queue, outcome));
    return static_cast<int>(outcome.status);
#endif
}

int PrinterTestEnvironment::RunCommand(const std::string& commandLine)
{
    return ::RunCommand(commandLine);
}

PrinterTestEnvironment& PrinterTestEnvironment::System()
{
    static PrinterTestEnvironment environment;
    return environment;
}

CPrinterTest::CPrinterTest(PrinterTestEnvironment& environment) : m_environment(environment) {}

bool CPrinterTest::Ping(const std::string& address, std::string& report)
{
    int responseTime = 0;
    if (m_environment.Ping(address, kPingTimeoutMs, responseTime)) {
        report = "SUCCESS!\n\n'" + address + "' successfully pinged.\nResponse time was " +
                 std::to_string(responseTime) + "ms.";
        return true;
    }
    report = "FAILED!\n\nPing to '" + address + "' failed.";
    return false;
}

std::string CPrinterTest::TestPageCommand(const std::string& address, const std::string& queue,
                                          const std::string& pagePath, const std::string& logPath)
{
    return "lpr /S " + QuoteShellArgument(address) + " /P " + QuoteShellArgument(queue) + " /o l " +
           QuoteShellArgument(pagePath) + " >> " + QuoteShellFileName(logPath);
}

std::string CPrinterTest::LogLine(const std::string& time, const std::string& address, const std::string& queue,
                                  const LpdOutcome& outcome)
{
    return time + " " + OneLine(address) + ":" + OneLine(queue) + " [" +
           std::to_string(static_cast<int>(outcome.status)) + "] " + OneLine(outcome.detail) + "\n";
}

std::string CPrinterTest::FindTestPage(const std::string& currentDirectory)
{
    // The current directory first, as the page has always been looked for
    // there; then where an installation puts it; then beside the program,
    // as in a build folder.
    for (const std::string& folder :
         {currentDirectory, m_environment.DataDirectory(), m_environment.ExecutableDirectory()}) {
        if (folder.empty())
            continue;
        const std::string path = InFolder(folder, kTestPage);
        if (m_environment.FileExists(path))
            return path;
    }
    return std::string();
}

bool CPrinterTest::SendTestPage(const std::string& address, const std::string& queue, MessageSink& sink)
{
    // Without a readable current directory the names stay relative.
    const std::string directory = m_environment.CurrentDirectory();
    const std::string pagePath = FindTestPage(directory);
    if (pagePath.empty()) {
        sink.ShowMessage("Printing failed.\n\nTest page file '" + InFolder(directory, kTestPage) + "' not found.",
                         MessageIcon::Error);
        return false;
    }
    std::string report;
    if (!Ping(address, report)) {
        sink.ShowMessage("Printing failed.\n\nPrinter '" + address + "' not reachable.", MessageIcon::Error);
        return false;
    }
    const int status = m_environment.SendPage(address, queue, pagePath, InFolder(directory, kLogFile));
    if (status == 0) {
        sink.ShowMessage("Printing succeed.\n\nCheck output at the printer.", MessageIcon::Warning);
        return true;
    }
    sink.ShowMessage("Printing failed.\n\n Sending the test page to '" + address + ":" + queue +
                         "' using 'LPR' returned [" + std::to_string(status) + "].\nCheck log file 'testprint.log'.",
                     MessageIcon::Error);
    return false;
}
