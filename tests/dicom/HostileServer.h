#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "LoopbackPorts.h"

// A DICOM server on 127.0.0.1 at an ephemeral port that does what no print
// server should. It accepts the association through DCMTK's acceptor side
// (Verification and Basic Grayscale Print Management, in implicit VR little
// endian), waits for the first request and then misbehaves as its kind says,
// with PDUs made by hand. It serves one connection after another until the
// object goes, and gives each up after kGiveUpAfter, so that a client that
// does not hold its time-outs ends too (late).
class HostileServer {
  public:
    enum class Kind {
        SilentAfterConnection,      // takes the connection, then says nothing at all
        SilentAfterAssociation,     // accepts the association, then answers no request
        EventReportEveryHalfSecond, // N-EVENT-REPORT every 0.5 s instead of the response
        EventReportBurst,           // N-EVENT-REPORTs back to back instead of the response
        EndlessCommandFragments,    // a response command whose last fragment never comes
        HugeElementInCommand,       // a response command declaring an element of 0xFFFFFFF0 bytes
        HugeElementInDataSet,       // an N-GET response whose data set declares one
    };
    static constexpr std::chrono::seconds kGiveUpAfter{12};

    explicit HostileServer(Kind kind);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    int port() const { return m_listener.port(); }
    // Connections taken so far.
    int connections() const { return m_connections.load(); }

  private:
    void serve();
    void serveConnection(int fd);
    void misbehave(int fd);
    // Waits until the client sends something (true) or goes, or the server stops.
    bool waitForClient(int fd);
    // Reads and drops what the client sends until it goes or the time is up.
    void drainUntilClientGoes(int fd, std::chrono::steady_clock::time_point until);
    bool stopped() const { return m_stop.load(); }

    LoopbackPort m_listener;
    Kind m_kind;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};
