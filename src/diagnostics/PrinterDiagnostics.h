#pragma once

#include <string>

#include "diagnostics/LpdClient.h"
#include "diagnostics/MessageSink.h"

// What the printer diagnostics need from the outside world; tests replace
// any part of it.
class PrinterTestEnvironment {
  public:
    virtual ~PrinterTestEnvironment() = default;
    // One ICMP echo, as IcmpPing::ping; the response time in ms on success.
    virtual bool ping(const std::string& address, int timeoutMs, int& responseTimeMs);
    virtual std::string currentDirectory();
    // The program's installed data folder (<prefix>/share/quarvel).
    virtual std::string dataDirectory();
    // The folder that holds the running program.
    virtual std::string executableDirectory();
    virtual bool fileExists(const std::string& path);
    // Sends the page file to queue on the printer at address and leaves a
    // trace of the run in the log; the status that the test page reports,
    // 0 on success. The program speaks the printer protocol itself
    // (LpdStatus gives the values) and appends one line to the log; Windows
    // runs the system's LPR client instead when the command interpreter finds
    // lpr.exe, and that appends its output.
    virtual int sendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                         const std::string& logPath);
    // The command interpreter of a system whose LPR client is a command.
    virtual int runCommand(const std::string& commandLine);

    // Port and time-out of the printer protocol.
    LpdSettings lpd;

    static PrinterTestEnvironment& system();
};

// The two printer diagnostics. Holds no data of its own.
class PrinterDiagnostics {
  public:
    static constexpr int kPingTimeoutMs = 5000;

    explicit PrinterDiagnostics(PrinterTestEnvironment& environment = PrinterTestEnvironment::system());

    // Pings address once; report is the text to show (information icon on
    // success, warning icon on failure).
    bool ping(const std::string& address, std::string& report);

    // Sends the test page "testpage.ps" to queue on address, after checking
    // that the page exists and the printer answers a ping. The page is taken
    // from the current directory, else from the installed data folder, else
    // from beside the program. Shows its own messages through sink; true
    // when the page was delivered.
    bool sendTestPage(const std::string& address, const std::string& queue, MessageSink& sink);

    // The LPR client's command line for the given files, each argument
    // quoted for the command interpreter (used where the system's LPR client
    // sends the page).
    static std::string testPageCommand(const std::string& address, const std::string& queue,
                                       const std::string& pagePath, const std::string& logPath);

    // The line that a run appends to the log: local time, printer, queue
    // and result.
    static std::string logLine(const std::string& time, const std::string& address, const std::string& queue,
                               const LpdOutcome& outcome);

  private:
    // The first of the page's places that holds it; empty when none does.
    std::string findTestPage(const std::string& currentDirectory);

    PrinterTestEnvironment& m_environment;
};
