// The cancel of the DICOM checks. No DCMTK here: the programs hold the
// cancel and call it from their own threads, the checks attach to it.
#include "dicom/DicomPeer.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace {

void shutDown(DicomSocket socket)
{
#ifdef _WIN32
    ::shutdown(static_cast<SOCKET>(socket), SD_BOTH);
#else
    ::shutdown(socket, SHUT_RDWR);
#endif
}

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
