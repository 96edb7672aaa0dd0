#include "dicom/CancellableTransport.h"
#include "dicom/ResponseGuard.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#endif

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmnet/dcmlayer.h"
#include "dcmtk/dcmnet/dcmtrans.h"

// Why a transport of our own: DCMTK waits for the server in blocking reads
// (select or poll with the time-out, then recv) that offer another thread no
// way to stop them, and its time-out may be long. Shutting the connection's
// socket down is the one thing that makes such a read return at once, on
// every platform; so each connection tells the cancel its socket, and the
// cancel shuts it down.
//
// Why the bounds are kept here too: the connection is the one place every
// byte from the server and every wait for it passes, whichever DCMTK call is
// reading (the association's answer, a DIMSE command or data set, the
// release, the abort). DCMTK counts its time-outs in whole seconds from a
// start of its own, anew for each PDU and for each call, and waits once more
// when it aborts; here the one deadline of the step ends them all. And DCMTK
// reserves an element's declared length before the value comes (for a data
// set in DIMSE_receiveDataSetInMemory, for a command in DIMSE_receiveCommand,
// neither of which takes a limit; dcmMaxReadLength-like limits apply to
// files only, and the PDU length DCMTK checks says nothing of the elements
// in the PDUs). Checking lengths here, before DCMTK sees the bytes, covers
// both without taking DCMTK's reading of messages over.

namespace {

using Clock = TransportBounds::Clock;

// How long the A-ABORT of a closing association may take to go out.
constexpr std::chrono::milliseconds kClosingSendTime{500};
// What one read from the socket takes at most.
constexpr std::size_t kReadChunk = 64 * 1024;

// A failed call's reason as DCMTK reads it (errno, or WSAGetLastError): not
// "interrupted", which DCMTK would retry.
void setTimedOutError()
{
#ifdef _WIN32
    ::WSASetLastError(WSAETIMEDOUT);
#else
    errno = ETIMEDOUT;
#endif
}

bool interrupted()
{
#ifdef _WIN32
    return ::WSAGetLastError() == WSAEINTR;
#else
    return errno == EINTR;
#endif
}

int milliseconds(Clock::duration duration)
{
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
    return static_cast<int>(std::clamp<decltype(ms)>(ms, 1, INT_MAX));
}

// 1 when the socket has something to read (data, its end or an error), 0
// when the time ran out, -1 on an error of the wait itself.
int waitReadable(DcmNativeSocketType socket, int ms)
{
#ifdef _WIN32
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval wait{ms / 1000, (ms % 1000) * 1000};
    const int result = ::select(0, &readable, nullptr, nullptr, &wait);
    return result == SOCKET_ERROR ? -1 : (result > 0 ? 1 : 0);
#else
    pollfd entry{socket, POLLIN, 0};
    const int result = ::poll(&entry, 1, ms);
    return result < 0 ? -1 : result;
#endif
}

// The send time-out of the socket: a blocking send ends there (0 would mean
// never, so at least a millisecond).
void setSendTimeout(DcmNativeSocketType socket, int ms)
{
#ifdef _WIN32
    const DWORD value = static_cast<DWORD>(ms);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&value),
                 static_cast<int>(sizeof value));
#else
    const timeval value{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value);
#endif
}

// A server that keeps Nagle's wait sends a PDU's body only once its header
// is acknowledged: acknowledging at once, not after the delayed-ACK timer,
// saves that wait on every exchange. Linux clears the flag as it sends an
// acknowledgement, so it is set again after every read. (Windows has no
// such switch per socket.)
void acknowledgeAtOnce([[maybe_unused]] DcmNativeSocketType socket)
{
#ifdef TCP_QUICKACK
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
}

// DCMTK's TCP connection, with its socket known to the cancel for as long as
// it is open, and what it reads from the server bounded.
class CancellableConnection : public DcmTCPConnection {
  public:
    CancellableConnection(DcmNativeSocketType socket, DicomCancel& cancel, TransportBounds& bounds)
        : DcmTCPConnection(socket), m_cancel(cancel), m_bounds(bounds), m_guard(bounds.explicitVR), m_chunk(kReadChunk)
    {
        m_cancel.attach(socket);
        // A PDU goes out as its header and then its body: with Nagle's wait
        // the body would sit until the server's delayed acknowledgement.
        const int on = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        acknowledgeAtOnce(socket);
    }
    ~CancellableConnection() override { m_cancel.detach(getSocket()); }
    void close() override
    {
        m_cancel.detach(getSocket());
        DcmTCPConnection::close();
    }

    ssize_t read(void* buffer, size_t size) override
    {
        switch (fill(m_bounds.deadline)) {
        case Fill::Ready:
            return static_cast<ssize_t>(m_guard.give(buffer, size));
        case Fill::Ended:
            return 0;
        case Fill::TimedOut:
        case Fill::Refused:
            break;
        }
        // DCMTK takes a failed read for a broken connection and closes it
        // without a word to the server, which hears of the abort here.
        sendAbort();
        setTimedOutError();
        return -1;
    }

    // DCMTK's own wait, in whole seconds, within the step's deadline. True
    // also when the connection ended or the response was refused: the read
    // that follows says so.
    OFBool networkDataAvailable(int timeout) override
    {
        const Clock::time_point until =
            std::min(m_bounds.deadline, Clock::now() + std::chrono::seconds(std::max(timeout, 0)));
        return fill(until) != Fill::TimedOut;
    }

    ssize_t write(void* buffer, size_t size) override
    {
        const Clock::time_point now = Clock::now();
        const Clock::time_point until = m_bounds.closing ? now + kClosingSendTime : m_bounds.deadline;
        if (now >= until) {
            m_bounds.timedOut = true;
            setTimedOutError();
            return -1;
        }
        setSendTimeout(getSocket(), milliseconds(until - now));
        const ssize_t sent = DcmTCPConnection::write(buffer, size);
        if (sent != static_cast<ssize_t>(size) && Clock::now() >= until)
            m_bounds.timedOut = true;
        return sent;
    }

    // The bytes come through the guard, never straight from the socket.
    OFBool isTransparentConnection() override { return OFFalse; }

  private:
    enum class Fill { Ready, Ended, TimedOut, Refused };

    // Reads from the socket until the guard has bytes ready for DCMTK, the
    // connection ends, the guard refuses what came, or until passes.
    Fill fill(Clock::time_point until)
    {
        for (;;) {
            if (!m_guard.process())
                return refused();
            if (m_guard.ready() > 0)
                return Fill::Ready;
            if (m_ended)
                return Fill::Ended;
            const Clock::time_point now = Clock::now();
            if (m_bounds.closing || now >= until) {
                if (until >= m_bounds.deadline)
                    m_bounds.timedOut = true;
                return Fill::TimedOut;
            }
            const int waited = waitReadable(getSocket(), milliseconds(until - now));
            if (waited == 0 || (waited < 0 && interrupted()))
                continue;
            const ssize_t got = waited < 0 ? -1 : DcmTCPConnection::read(m_chunk.data(), m_chunk.size());
            if (got > 0) {
                acknowledgeAtOnce(getSocket());
                if (!m_guard.take(m_chunk.data(), static_cast<std::size_t>(got)))
                    return refused();
            } else if (got < 0 && interrupted()) {
                continue;
            } else {
                m_ended = true; // closed by the server, shut down by a cancel, or broken
            }
        }
    }

    // The response breaks a bound: DCMTK gets no byte more, and the
    // association hears why.
    Fill refused()
    {
        m_bounds.refusal = m_guard.refusal();
        return Fill::Refused;
    }

    // An A-ABORT, once: type 7, length 4, two reserved bytes, source 0 (the
    // service user), reason 0.
    void sendAbort()
    {
        if (m_abortSent)
            return;
        m_abortSent = true;
        unsigned char abort[10] = {0x07, 0, 0, 0, 0, 4, 0, 0, 0, 0};
        setSendTimeout(getSocket(), milliseconds(kClosingSendTime));
        DcmTCPConnection::write(abort, sizeof abort);
    }

    DicomCancel& m_cancel;
    TransportBounds& m_bounds;
    ResponseGuard m_guard;
    std::vector<unsigned char> m_chunk;
    bool m_ended = false;
    bool m_abortSent = false;
};

class CancellableLayer : public DcmTransportLayer {
  public:
    CancellableLayer(DicomCancel& cancel, TransportBounds& bounds) : m_cancel(cancel), m_bounds(bounds) {}
    DcmTransportConnection* createConnection(DcmNativeSocketType socket, OFBool useSecureLayer) override
    {
        return useSecureLayer ? nullptr : new CancellableConnection(socket, m_cancel, m_bounds);
    }

  private:
    DicomCancel& m_cancel;
    TransportBounds& m_bounds;
};

} // namespace

DcmTransportLayer* newCancellableTransportLayer(DicomCancel& cancel, TransportBounds& bounds)
{
    return new CancellableLayer(cancel, bounds);
}
