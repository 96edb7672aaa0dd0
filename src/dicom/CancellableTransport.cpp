#include "dicom/CancellableTransport.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
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

namespace {

void shutDown(DicomSocket socket)
{
#ifdef _WIN32
    ::shutdown(static_cast<SOCKET>(socket), SD_BOTH);
#else
    ::shutdown(socket, SHUT_RDWR);
#endif
}

// DCMTK's TCP connection, with its socket known to the cancel for as long as
// it is open.
class CancellableConnection : public DcmTCPConnection {
  public:
    CancellableConnection(DcmNativeSocketType socket, DicomCancel& cancel) : DcmTCPConnection(socket), m_cancel(cancel)
    {
        m_cancel.attach(socket);
    }
    ~CancellableConnection() override { m_cancel.detach(getSocket()); }
    void close() override
    {
        m_cancel.detach(getSocket());
        DcmTCPConnection::close();
    }

  private:
    DicomCancel& m_cancel;
};

class CancellableLayer : public DcmTransportLayer {
  public:
    explicit CancellableLayer(DicomCancel& cancel) : m_cancel(cancel) {}
    DcmTransportConnection* createConnection(DcmNativeSocketType socket, OFBool useSecureLayer) override
    {
        return useSecureLayer ? nullptr : new CancellableConnection(socket, m_cancel);
    }

  private:
    DicomCancel& m_cancel;
};

} // namespace

void DicomCancel::cancel()
{
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_attached)
        shutDown(m_socket);
}

void DicomCancel::attach(DicomSocket socket)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_socket = socket;
    m_attached = true;
    if (m_cancelled)
        shutDown(m_socket);
}

void DicomCancel::detach(DicomSocket socket)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_attached && m_socket == socket)
        m_attached = false;
}

DcmTransportLayer* newCancellableTransportLayer(DicomCancel& cancel)
{
    return new CancellableLayer(cancel);
}
