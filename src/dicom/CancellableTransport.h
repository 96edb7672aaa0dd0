#pragma once

#include <chrono>

#include "dicom/DicomPeer.h"

class DcmTransportLayer;

// What an association and its connection share. The association gives the
// deadline of the step under way; the connection tells whether it ended a
// wait at the deadline.
struct TransportBounds {
    using Clock = std::chrono::steady_clock;

    Clock::time_point deadline = Clock::time_point::max();
    // The association is being aborted: no wait for the server any more, and
    // only a moment for the A-ABORT to go out.
    bool closing = false;

    bool timedOut = false; // a wait or a write ended at the deadline
};

// A transport layer for DCMTK's network (ASC_setTransportLayer) whose TCP
// connections
// - register their socket with cancel while they are open, so that a cancel
//   from another thread shuts the socket down under a waiting read;
// - end every wait for the server, and every write, at bounds.deadline,
//   whatever time-out DCMTK itself counts down (in whole seconds, from a
//   start of its own, and anew for each PDU);
// - send the server an A-ABORT when they fail a read of DCMTK's at the
//   deadline, since DCMTK then only closes the connection.
// Plain TCP only: it makes no secure connection.
DcmTransportLayer* newCancellableTransportLayer(DicomCancel& cancel, TransportBounds& bounds);
