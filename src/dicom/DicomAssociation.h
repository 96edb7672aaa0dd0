#pragma once

#include <string>

#include "dicom/DicomPeer.h"

// DCMTK's own types stay in the .cpp files of this folder.
struct T_ASC_Network;
struct T_ASC_Association;
struct T_DIMSE_Message;
class DcmDataset;

// What one step on the network came to: the outcome and, for the user, the
// reason (the reject reason, the system's error, the time-out).
struct DicomStep {
    DicomOutcome outcome = DicomOutcome::Answered;
    std::string detail;

    bool answered() const { return outcome == DicomOutcome::Answered; }
};

// One association through DCMTK's network layer to peer, every step bounded
// by the peer's time-out and stopped by cancel. Aborts the association if it
// is still open when the object goes.
class DicomAssociation {
  public:
    DicomAssociation(const DicomPeer& peer, DicomCancel& cancel);
    ~DicomAssociation();
    DicomAssociation(const DicomAssociation&) = delete;
    DicomAssociation& operator=(const DicomAssociation&) = delete;

    // Asks for an association to calledAETitle proposing one abstract syntax;
    // answered when the server accepts it with that syntax.
    DicomStep open(const std::string& calledAETitle, const char* abstractSyntax);

    // C-ECHO; status is the response's status when answered.
    DicomStep echo(unsigned short& status);

    // Sends a request (with data when not null) and waits for its response,
    // answering any event report that comes first. response and its data
    // (owned by the caller; null when the response has none) are set when
    // answered.
    DicomStep request(T_DIMSE_Message& request, DcmDataset* data, T_DIMSE_Message& response, DcmDataset*& responseData);

    // A message ID for the next request.
    unsigned short nextMessageId();

    DicomStep release();

  private:
    const DicomPeer& m_peer;
    DicomCancel& m_cancel;
    T_ASC_Network* m_network = nullptr;
    T_ASC_Association* m_association = nullptr;
    unsigned char m_context = 0;
    bool m_established = false; // accepted and not yet released
};
