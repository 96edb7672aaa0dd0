#include "dicom/Verification.h"

#include <chrono>

#include "dicom/DicomAssociation.h"
#include "dicom/DimseStatus.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcuid.h"

EchoResult echoAETitle(const DicomPeer& peer, const std::string& aeTitle, DicomCancel& cancel)
{
    EchoResult result;
    result.aeTitle = aeTitle;
    DicomAssociation association(peer, cancel);
    DicomStep step = association.open(aeTitle, UID_VerificationSOPClass);
    if (step.answered()) {
        const auto start = std::chrono::steady_clock::now();
        const DimseResponse echo = association.echo();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        result.milliseconds = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        step = echo.step;
        if (echo.answered() && statusKind(echo.status) != StatusKind::Success)
            step = {DicomOutcome::Failed, "the echo came back with status " + statusCode(echo.status)};
        if (step.answered())
            step = association.release();
    }
    result.outcome = step.outcome;
    result.detail = step.detail;
    return result;
}

std::vector<EchoResult> verifyServer(const DicomPeer& peer, const std::vector<std::string>& titles, DicomCancel& cancel,
                                     const std::function<void(const EchoResult&)>& done)
{
    std::vector<EchoResult> results;
    for (const std::string& title : titles) {
        if (cancel.cancelled())
            break;
        results.push_back(echoAETitle(peer, title, cancel));
        if (done)
            done(results.back());
    }
    return results;
}

const char* outcomeName(DicomOutcome outcome)
{
    switch (outcome) {
    case DicomOutcome::Answered:
        return "answered";
    case DicomOutcome::Rejected:
        return "rejected";
    case DicomOutcome::Aborted:
        return "aborted";
    case DicomOutcome::NoConnection:
        return "no connection";
    case DicomOutcome::TimedOut:
        return "timed out";
    case DicomOutcome::Failed:
        return "failed";
    case DicomOutcome::Cancelled:
        return "cancelled";
    }
    return "failed";
}

std::string echoLine(const EchoResult& result, const DicomPeer& peer)
{
    std::string line = result.aeTitle + " at " + peer.address() + ": ";
    if (result.outcome == DicomOutcome::Answered)
        return line + "answered in " + std::to_string(result.milliseconds) + " ms";
    line += outcomeName(result.outcome);
    if (result.outcome != DicomOutcome::Cancelled && !result.detail.empty())
        line += ": " + result.detail;
    return line;
}
