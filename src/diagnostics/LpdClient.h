#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

#include "diagnostics/HostAddress.h"

// The test page's way to a printer on systems without an LPR command of the
// right kind: the line printer daemon protocol (RFC 1179), spoken directly.

// How a job went. The value is the status the test page reports.
enum class LpdStatus : int {
    Sent = 0,              // the printer acknowledged the control file and the data file
    ConnectionRefused = 1, // nothing listens on the printer's LPD port
    TimedOut = 2,          // no connection, or an acknowledgement missing, within the time-out
    QueueRefused = 3,      // the printer refused or dropped the job request for the queue, or
                           // the queue name holds a control character and cannot be sent
    TransferBroken = 4,    // after the queue was accepted: the connection ended, or a file was refused
    NoConnection = 5,      // the address cannot be resolved or reached, or no socket could be made
    FileUnreadable = 6,    // the file to print cannot be read; nothing was sent
};

struct LpdSettings {
    std::uint16_t port = 515;
    // Bounds the name look-up, the connection and every wait for the printer.
    std::chrono::milliseconds timeout{10000};
    // Bounds the whole job, however the printer paces its answers.
    std::chrono::milliseconds jobTimeout{60000};
    // Resolves an address that is neither a numeric IPv4 nor IPv6 address.
    // It runs on a thread of its own and is abandoned after the time-out.
    std::function<bool(const std::string&, in_addr&)> lookUp = lookUpIPv4;
};

// Who sends a job, as its control file names it.
struct LpdSender {
    std::string host;  // at most 31 characters
    std::string user;  // at most 31 characters
    int jobNumber = 0; // 0 to 999

    // This machine's name, this process's user and the next job number.
    static LpdSender thisProcess();
};

struct LpdOutcome {
    LpdStatus status = LpdStatus::Sent;
    std::string detail; // what happened, in words, for the log
};

// The control file of a job that prints one data file unchanged (an "l"
// line), with its host, user, job name and file name.
std::string lpdControlFile(const LpdSender& sender, const std::string& fileName);

// Sends the file at path to queue on printer: the job request, then the
// control file, then the data file, each acknowledged by the printer with
// exactly one zero byte (any other answer is a refusal or a protocol fault).
// Every wait is bounded by settings.timeout, the whole job by
// settings.jobTimeout.
LpdOutcome sendLpdJob(const std::string& printer, const std::string& queue, const std::string& path,
                      const LpdSender& sender, const LpdSettings& settings = LpdSettings());
