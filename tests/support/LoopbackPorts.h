#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Loopback ports for the DICOM checks in the windows: one that nothing
// listens on, and one that takes connections and never answers.
class LoopbackPort {
  public:
    // listening: the kernel completes connections that nobody accepts, so
    // a client waits for an answer in vain; otherwise the port is closed.
    explicit LoopbackPort(bool listening)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_fd, 8);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        if (!listening) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~LoopbackPort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    int port() const { return m_port; }
    int socket() const { return m_fd; }

  private:
    int m_fd = -1;
    int m_port = 0;
};
