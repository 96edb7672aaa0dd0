#include "diagnostics/PrinterTest.h"

#include <sys/stat.h>

#include "diagnostics/IcmpPing.h"
#include "platform/Shell.h"

namespace {

constexpr const char* kTestPage = "testpage.ps";
constexpr const char* kLogFile = "testprint.log";
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
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

bool PrinterTestEnvironment::FileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
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
           QuoteShellArgument(pagePath) + " >> " + QuoteShellArgument(logPath);
}

bool CPrinterTest::SendTestPage(const std::string& address, const std::string& queue, MessageSink& sink)
{
    // Without a readable current directory the names stay relative; the
    // page is then reported missing under its plain name.
    const std::string directory = m_environment.CurrentDirectory();
    const std::string prefix = directory.empty() ? std::string() : directory + kSeparator;
    const std::string pagePath = prefix + kTestPage;
    const std::string logPath = prefix + kLogFile;

    if (directory.empty() || !m_environment.FileExists(pagePath)) {
        sink.ShowMessage("Printing failed.\n\nTest page file '" + pagePath + "' not found.", MessageIcon::Error);
        return false;
    }
    std::string report;
    if (!Ping(address, report)) {
        sink.ShowMessage("Printing failed.\n\nPrinter '" + address + "' not reachable.", MessageIcon::Error);
        return false;
    }
    const int status = m_environment.RunCommand(TestPageCommand(address, queue, pagePath, logPath));
    if (status == 0) {
        sink.ShowMessage("Printing succeed.\n\nCheck output at the printer.", MessageIcon::Warning);
        return true;
    }
    sink.ShowMessage("Printing failed.\n\n Sending the test page to '" + address + ":" + queue +
                         "' using 'LPR' returned [" + std::to_string(status) + "].\nCheck log file 'testprint.log'.",
                     MessageIcon::Error);
    return false;
}
