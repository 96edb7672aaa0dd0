#pragma once

#include <chrono>
#include <map>
#include <string>

#include "dicom/DicomPeer.h"

class DcmTransportLayer;

// What an association and its connection share. The association gives the
// deadline of the step under way and the transfer syntax of each accepted
// presentation context; the connection tells whether it ended a wait at the
// deadline and why it refused a response.
struct TransportBounds {
    using Clock = std::chrono::steady_clock;

    Clock::time_point deadline = Clock::time_point::max();
    // The association is being aborted: no wait for the server any more, and
    // only a moment for the A-ABORT to go out.
    bool closing = false;
    // Presentation context ID -> explicit VR little endian (else implicit).
    std::map<unsigned char, bool> explicitVR;

    bool timedOut = false; // a wait or a write ended at the deadline
    std::string refusal;   // why a response was refused, when one was
};

// A transport layer for DCMTK's network (ASC_setTransportLayer) whose TCP
// connections
// - register their socket with cancel while they are open, so that a cancel
//   from another thread shuts the socket down under a waiting read;
// - end every wait for the server, and every write, at bounds.deadline,
//   whatever time-out DCMTK itself counts down (in whole seconds, from a
//   start of its own, and anew for each PDU);
// - pass what the server sends through a ResponseGuard, so that DCMTK reads
//   no message whose lengths do not hold (the guard says why);
// - send the server an A-ABORT when they fail a read of DCMTK's for either
//   reason, since DCMTK then only closes the connection.
// Plain TCP only: it makes no secure connection.
DcmTransportLayer* newCancellableTransportLayer(DicomCancel& cancel, TransportBounds& bounds);
