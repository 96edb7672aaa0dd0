#include "diagnostics/IcmpPing.h"

#include "diagnostics/HostAddress.h"
#include "diagnostics/IcmpSystem.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// ---- what the echo engine needs of the system ---------------------------------

std::uint16_t IcmpSystem::processIdentifier()
{
    return static_cast<std::uint16_t>(::getpid() & 0xFFFF);
}

std::uint32_t IcmpSystem::tickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool IcmpSystem::parseDottedAddress(const std::string& host, in_addr& address)
{
    return ::inet_aton(host.c_str(), &address) != 0;
}

int IcmpSystem::lastError()
{
    return errno;
}

// ---- the system transport -------------------------------------------------

bool IcmpTransport::resolve(const std::string& host, in_addr& address)
{
    return lookUpIPv4(host, address);
}

int IcmpTransport::open(bool& headerIncluded)
{
    int s = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (s >= 0) {
        // A raw socket also receives the requests sent to this machine
        // (pinging ourselves reads our own request first): let only the
        // other ICMP types through.
        icmp_filter filter{};
        filter.data = 1u << ICMP_ECHO;
        if (::setsockopt(s, SOL_RAW, ICMP_FILTER, &filter, sizeof filter) != 0) {
            const int error = errno;
            ::close(s);
            errno = error;
            return -1;
        }
        headerIncluded = true;
        return s;
    }
    // No privilege for a raw socket: the kernel's ping socket, whose
    // datagrams carry no IP header and whose identifier the kernel assigns.
    const int rawError = errno;
    s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (s < 0) {
        errno = rawError;
        return -1;
    }
    headerIncluded = false;
    return s;
}

ssize_t IcmpTransport::sendTo(int socket, const std::uint8_t* data, std::size_t size, const sockaddr_in& to)
{
    return ::sendto(socket, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

bool IcmpTransport::waitReadable(int socket, int timeoutMs, bool& readable)
{
    return IcmpPing::waitReadable(socket, timeoutMs, readable);
}

ssize_t IcmpTransport::receiveFrom(int socket, std::uint8_t* buffer, std::size_t size, sockaddr_in& from)
{
    socklen_t length = sizeof from;
    return ::recvfrom(socket, buffer, size, 0, reinterpret_cast<sockaddr*>(&from), &length);
}

void IcmpTransport::close(int socket)
{
    ::close(socket);
}

std::uint16_t IcmpTransport::replyIdentifier(int socket, bool headerIncluded)
{
    if (headerIncluded)
        return IcmpSystem::processIdentifier();
    // The ping socket's identifier is its local "port", in network order, as
    // it stands in the datagram.
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return local.sin_port;
}

std::int64_t IcmpTransport::nowMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

IcmpTransport& IcmpTransport::system()
{
    static IcmpTransport transport;
    return transport;
}

// ---- the engine's start-up and wait on this system ---------------------------

bool IcmpPing::startup()
{
    // Nothing to start: the sockets are part of the system and the
    // monotonic clock is always there.
    return true;
}

bool IcmpPing::waitReadable(int socket, int timeoutMs, bool& readable)
{
    pollfd entry{socket, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0)
        return false;
    readable = ready > 0;
    return true;
}
