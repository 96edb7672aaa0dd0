#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dicom/DicomPeer.h"

class Configuration;

// What one AE title said to a C-ECHO.
struct EchoResult {
    std::string aeTitle;
    DicomOutcome outcome = DicomOutcome::Failed;
    int milliseconds = 0; // the echo's round trip, when answered
    std::string detail;   // the reason, when not answered
};

// The AE titles a verification asks, in turn: the server's, then each
// printer's in list order; each title once, empty ones left out.
std::vector<std::string> verificationTitles(const Configuration& config);

// Associates to the peer with called AE title aeTitle, sends one C-ECHO and
// releases. Answered only when the echo came back with success.
EchoResult echoAETitle(const DicomPeer& peer, const std::string& aeTitle, DicomCancel& cancel);

// Echoes each title in turn, handing each result to done as it comes; stops
// when cancelled. Returns every result.
std::vector<EchoResult> verifyServer(const DicomPeer& peer, const std::vector<std::string>& titles, DicomCancel& cancel,
                                     const std::function<void(const EchoResult&)>& done = nullptr);

// "RADPRINT at 127.0.0.1:104: answered in 3 ms",
// "LASER2 at 127.0.0.1:104: rejected: called AE title not recognised".
std::string echoLine(const EchoResult& result, const DicomPeer& peer);

// "answered", "rejected", "aborted", "no connection", "timed out", ...
const char* outcomeName(DicomOutcome outcome);
