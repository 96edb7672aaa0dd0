#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// Loopback ports for the DICOM checks in the windows: one that nothing
// listens on, and one that takes connections and never answers.
class LoopbackPort {
  public:
    // listening: the system completes connections that nobody accepts, so
    // a client waits for an answer in vain; otherwise the port is closed.
    explicit LoopbackPort(bool listening)
    {
#ifdef _WIN32
        static const bool started = [] {
            WSADATA data;
            return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        }();
        (void)started;
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        int length = sizeof(sockaddr_in);
#else
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        socklen_t length = sizeof(sockaddr_in);
#endif
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_fd, 8);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        if (!listening) {
            closeSocket();
        }
    }
    ~LoopbackPort()
    {
        closeSocket();
    }
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    auto socket() const
    {
        return m_fd;
    }
    int port() const
    {
        return m_port;
    }

  private:
#ifdef _WIN32
    void closeSocket()
    {
        if (m_fd != INVALID_SOCKET)
            ::closesocket(m_fd);
        m_fd = INVALID_SOCKET;
    }
    SOCKET m_fd = INVALID_SOCKET;
#else
    void closeSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int m_fd = -1;
#endif
    int m_port = 0;
};
