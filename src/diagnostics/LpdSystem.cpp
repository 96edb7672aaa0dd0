// The LPD client's socket and sender on POSIX systems.
#include "diagnostics/LpdSystem.h"

#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

LpdSystem::Socket LpdSystem::open(int family)
{
    const Socket socket = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // A control step is a few bytes that the printer answers: no waiting to
    // fill a segment.
    const int on = 1;
    if (socket != kNoSocket)
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

void LpdSystem::close(Socket socket)
{
    ::close(socket);
}

int LpdSystem::startConnect(Socket socket, const SocketAddress& address, bool& pending)
{
    pending = false;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0)
        return 0;
    const int error = errno;
    pending = error == EINPROGRESS || error == EINTR;
    return pending ? 0 : error;
}

int LpdSystem::connectResult(Socket socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    return error;
}

bool LpdSystem::wait(Socket socket, bool writable, int timeoutMs)
{
    pollfd entry{socket, static_cast<short>(writable ? POLLOUT : POLLIN), 0};
    const int ready = ::poll(&entry, 1, timeoutMs);
    return ready > 0 || (ready < 0 && errno != EINTR);
}

std::ptrdiff_t LpdSystem::send(Socket socket, const char* bytes, std::size_t size)
{
    return ::send(socket, bytes, size, MSG_NOSIGNAL);
}

std::ptrdiff_t LpdSystem::receive(Socket socket, unsigned char* bytes, std::size_t size, bool peek)
{
    return ::recv(socket, bytes, size, MSG_DONTWAIT | (peek ? MSG_PEEK : 0));
}

int LpdSystem::unsentBytes(Socket socket)
{
    int queued = 0;
    return ::ioctl(socket, SIOCOUTQ, &queued) == 0 ? queued : -1;
}

int LpdSystem::lastError()
{
    return errno;
}

LpdSystem::Error LpdSystem::kind(int error)
{
    if (error == EINTR)
        return Error::Interrupted;
    if (error == EAGAIN || error == EWOULDBLOCK)
        return Error::WouldBlock;
    if (error == ECONNREFUSED)
        return Error::Refused;
    if (error == ETIMEDOUT)
        return Error::TimedOut;
    return Error::Other;
}

std::string LpdSystem::errorText(int error)
{
    return std::strerror(error);
}

std::string LpdSystem::hostName()
{
    char host[256] = {};
    return ::gethostname(host, sizeof host - 1) == 0 ? host : "";
}

std::string LpdSystem::userName()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    return std::string();
}

std::string LpdSystem::unnamedUser()
{
    return std::to_string(::geteuid());
}

int LpdSystem::processId()
{
    return ::getpid();
}
