#pragma once

#include <string>

#include "diagnostics/MessageSink.h"

// What the printer diagnostics need from the outside world; tests replace
// any part of it.
class PrinterTestEnvironment {
  public:
    virtual ~PrinterTestEnvironment() = default;
    // One ICMP echo, as CIcmpPing::Ping; the response time in ms on success.
    virtual bool Ping(const std::string& address, int timeoutMs, int& responseTimeMs);
    virtual std::string CurrentDirectory();
    virtual bool FileExists(const std::string& path);
    virtual int RunCommand(const std::string& commandLine);

    static PrinterTestEnvironment& System();
};

// The two printer diagnostics. Holds no data of its own.
class CPrinterTest {
  public:
    static constexpr int kPingTimeoutMs = 5000;

    explicit CPrinterTest(PrinterTestEnvironment& environment = PrinterTestEnvironment::System());

    // Pings address once; report is the text to show (information icon on
    // success, warning icon on failure).
    bool Ping(const std::string& address, std::string& report);

    // Sends the test page "testpage.ps" of the current directory to queue on
    // address through lpr, after checking that the page exists and the
    // printer answers a ping. Shows its own messages through sink; true when
    // the command ended with status 0.
    bool SendTestPage(const std::string& address, const std::string& queue, MessageSink& sink);

    // The lpr command line for the given files, each argument quoted for the
    // command interpreter.
    static std::string TestPageCommand(const std::string& address, const std::string& queue,
                                       const std::string& pagePath, const std::string& logPath);

  private:
    PrinterTestEnvironment& m_environment;
};
