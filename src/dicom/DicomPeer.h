#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// Where the DICOM checks go and how long each network step may take.
struct DicomPeer {
    static constexpr const char* kCallingAETitle = "QUARVEL";
    static constexpr int kDefaultTimeoutSeconds = 10;

    std::string host = "127.0.0.1";
    int port = 104;
    // Bounds the connection, the association and every response.
    int timeoutSeconds = kDefaultTimeoutSeconds;

    // "127.0.0.1:104", "[::1]:104"
    std::string address() const
    {
        const bool ipv6 = host.find(':') != std::string::npos && host.front() != '[';
        return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
    }
};

// How an association, or one request on it, ended.
enum class DicomOutcome {
    Answered,     // the server answered (the status may still be a failure)
    Rejected,     // the server refused the association
    Aborted,      // the server broke the association off
    NoConnection, // no TCP connection (refused, unreachable, unknown host)
    TimedOut,     // no connection or no answer within the time-out
    Failed,       // anything else the server did that makes the step fail
    Cancelled,    // stopped by the user
};

// The system's socket handle: SOCKET on Windows, a descriptor elsewhere.
#ifdef _WIN32
using DicomSocket = std::uintptr_t;
#else
using DicomSocket = int;
#endif

// Stops the network work of another thread: a cancel wakes a wait on the
// association's socket at once (the socket is shut down) and keeps any
// further request from being sent. The connection attempt itself stays
// bounded by the time-out.
class DicomCancel {
  public:
    void cancel();
    bool cancelled() const { return m_cancelled.load(); }

    // The socket of the connection being used, while there is one.
    void attach(DicomSocket socket);
    void detach(DicomSocket socket);

  private:
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    bool m_attached = false;
    DicomSocket m_socket{};
};
