#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dicom/CancellableTransport.h"
#include "dicom/DicomPeer.h"

// DCMTK's own types stay in the .cpp files of this folder.
struct T_ASC_Network;
struct T_ASC_Association;
struct T_DIMSE_Message;
class DcmDataset;
class DcmTagKey;
class OFCondition;

// What one step on the network came to: the outcome and, for the user, the
// reason (the reject reason, the system's error, the time-out).
struct DicomStep {
    DicomOutcome outcome = DicomOutcome::Answered;
    std::string detail;

    bool answered() const { return outcome == DicomOutcome::Answered; }
};

// One request and its response: the step and, when it was answered, the
// response's status, its dataset and the instance it names.
struct DimseResponse {
    DicomStep step;
    unsigned short status = 0;
    std::unique_ptr<DcmDataset> data; // null when the response has none
    std::string affectedInstanceUid;  // N-CREATE: the instance the server made

    DimseResponse();
    explicit DimseResponse(DicomStep step);
    DimseResponse(DimseResponse&&) noexcept;
    DimseResponse& operator=(DimseResponse&&) noexcept;
    ~DimseResponse();

    bool answered() const { return step.answered(); }
};

// One association through DCMTK's network layer to peer, stopped by cancel.
// Each step (the connection with the association's answer, one request with
// its response, the release) ends within the peer's time-out from its start,
// whatever the server sends meanwhile; a step that runs out is timed out and
// the association is aborted. A response that breaks the bounds of
// ResponseGuard fails its step and the association is aborted. Aborts the
// association if it is still open when the object goes, without waiting for
// the server.
//
// The requests are the DIMSE services a print or verification SCU uses, one
// call each: the request goes out, and the call returns with its response
// (up to kMaxEventReportsPerStep event reports that come first are
// acknowledged and passed over). A request made after a cancel is not sent.
class DicomAssociation {
  public:
    // Event reports one request may have to wait through; more fail the step.
    static constexpr int kMaxEventReportsPerStep = 16;

    DicomAssociation(const DicomPeer& peer, DicomCancel& cancel);
    ~DicomAssociation();
    DicomAssociation(const DicomAssociation&) = delete;
    DicomAssociation& operator=(const DicomAssociation&) = delete;

    // Asks for an association to calledAETitle proposing one abstract syntax;
    // answered when the server accepts it with that syntax.
    DicomStep open(const std::string& calledAETitle, const char* abstractSyntax);

    // C-ECHO.
    DimseResponse echo();
    // N-GET of the attributes of an instance (all of them when none is named).
    DimseResponse nGet(const char* sopClass, const std::string& instance, const std::vector<DcmTagKey>& attributes);
    // N-CREATE of an instance of sopClass, its UID chosen by the server.
    DimseResponse nCreate(const char* sopClass, DcmDataset& attributes);
    // N-SET of an instance's attributes.
    DimseResponse nSet(const char* sopClass, const std::string& instance, DcmDataset& modifications);
    // N-ACTION of type actionType on an instance, without action information.
    DimseResponse nAction(const char* sopClass, const std::string& instance, unsigned short actionType);
    // N-DELETE of an instance.
    DimseResponse nDelete(const char* sopClass, const std::string& instance);

    DicomStep release();

  private:
    // Starts a step: its deadline is the time-out from now.
    void beginStep();
    // The time-out DCMTK is given for a wait within the step, in its whole
    // seconds: what is left, and a second more, so that the connection's
    // exact deadline is what ends the wait.
    int toolkitTimeout() const;
    DicomStep stepFrom(const OFCondition& condition) const;
    unsigned short nextMessageId();
    // Sends request (with data when not null) and waits for its response.
    DimseResponse exchange(T_DIMSE_Message& request, DcmDataset* data);

    const DicomPeer& m_peer;
    DicomCancel& m_cancel;
    TransportBounds m_bounds;
    T_ASC_Network* m_network = nullptr;
    T_ASC_Association* m_association = nullptr;
    unsigned char m_context = 0;
    bool m_established = false; // accepted and not yet released
};
