// The ICMP transport of Windows: Windows Sockets 2.1 with a raw ICMP socket,
// the performance counter for the response time.
#include <climits>
#include <cstring>
#include <winsock2.h>

#include <windows.h>

#include "diagnostics/IcmpPing.h"
#include "diagnostics/IcmpSystem.h"
#include "platform/Sockets.h"

namespace {

// Start-up state, one per process: the first ping starts the socket library
// and reads the counter's frequency; a failed start is not tried again.
struct StartupState {
    bool started = false;
    bool result = false;
    LONGLONG frequency = 0;
};
StartupState g_startup;

constexpr std::uint8_t kEchoRequest = 8;

// The seam carries sockets as int. Socket handles are kernel handles, whose
// values fit in 32 bits on 64-bit Windows too.
SOCKET toSocket(int socket)
{
    return static_cast<SOCKET>(static_cast<unsigned int>(socket));
}

int millisecondsLeft(ULONGLONG end)
{
    const ULONGLONG now = ::GetTickCount64();
    return now >= end ? 0 : static_cast<int>(end - now);
}

} // namespace

// ---- what the echo engine needs of the system ---------------------------------

std::uint16_t IcmpSystem::processIdentifier()
{
    return static_cast<std::uint16_t>(::GetCurrentProcessId() & 0xFFFF);
}

std::uint32_t IcmpSystem::tickCount()
{
    return ::GetTickCount();
}

bool IcmpSystem::parseDottedAddress(const std::string& host, in_addr& address)
{
    const unsigned long parsed = ::inet_addr(host.c_str());
    if (parsed == INADDR_NONE)
        return false;
    address.s_addr = parsed;
    return true;
}

int IcmpSystem::lastError()
{
    return ::WSAGetLastError();
}

// ---- the system transport -------------------------------------------------

bool IcmpTransport::resolve(const std::string& host, in_addr& address)
{
    const hostent* answer = ::gethostbyname(host.c_str());
    if (!answer || !answer->h_addr_list || !answer->h_addr_list[0])
        return false;
    if (answer->h_addrtype != AF_INET || answer->h_length != sizeof address) {
        ::WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    std::memcpy(&address, answer->h_addr_list[0], sizeof address);
    return true;
}

int IcmpTransport::open(bool& headerIncluded)
{
    const SOCKET s = ::WSASocketA(AF_INET, SOCK_RAW, IPPROTO_ICMP, nullptr, 0, 0);
    if (s == INVALID_SOCKET)
        return -1;
    if (s > static_cast<SOCKET>(INT_MAX)) {
        ::closesocket(s);
        ::WSASetLastError(WSAEMFILE);
        return -1;
    }
    headerIncluded = true;
    return static_cast<int>(s);
}

ssize_t IcmpTransport::sendTo(int socket, const std::uint8_t* data, std::size_t size, const sockaddr_in& to)
{
    if (size > static_cast<std::size_t>(INT_MAX)) {
        ::WSASetLastError(WSAEMSGSIZE);
        return -1;
    }
    return ::sendto(toSocket(socket), reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                    reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

bool IcmpTransport::waitReadable(int socket, int timeoutMs, bool& readable)
{
    // A raw socket also receives the echo requests sent to this machine:
    // pinging this machine, the first datagram is our own request. Those
    // are dropped here, as the Linux transport's socket filter drops them,
    // so that the one datagram the engine reads is an answer.
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (!IcmpPing::waitReadable(socket, millisecondsLeft(end), readable))
            return false;
        if (!readable)
            return true;
        char head[64];
        sockaddr_in from{};
        int fromLength = sizeof from;
        int peeked =
            ::recvfrom(toSocket(socket), head, sizeof head, MSG_PEEK, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (peeked == SOCKET_ERROR) {
            if (::WSAGetLastError() != WSAEMSGSIZE)
                return true; // the read reports it
            peeked = sizeof head;
        }
        const std::size_t headerLength = peeked > 0 ? (static_cast<std::uint8_t>(head[0]) & 0x0F) * 4u : 0u;
        if (peeked <= 0 || static_cast<std::size_t>(peeked) <= headerLength ||
            static_cast<std::uint8_t>(head[headerLength]) != kEchoRequest)
            return true;
        char discard[IcmpPing::kReplyBufferSize];
        fromLength = sizeof from;
        ::recvfrom(toSocket(socket), discard, sizeof discard, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    }
}

ssize_t IcmpTransport::receiveFrom(int socket, std::uint8_t* buffer, std::size_t size, sockaddr_in& from)
{
    int length = sizeof from;
    const int capacity = size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
    return ::recvfrom(toSocket(socket), reinterpret_cast<char*>(buffer), capacity, 0,
                      reinterpret_cast<sockaddr*>(&from), &length);
}

void IcmpTransport::close(int socket)
{
    // The last error of a failed ping is kept across the closing.
    const int error = ::WSAGetLastError();
    ::closesocket(toSocket(socket));
    ::WSASetLastError(error);
}

std::uint16_t IcmpTransport::replyIdentifier(int, bool)
{
    return IcmpSystem::processIdentifier();
}

std::int64_t IcmpTransport::nowMicroseconds()
{
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    const LONGLONG frequency = g_startup.frequency > 0 ? g_startup.frequency : 1;
    // Split so that the product cannot overflow after a long uptime.
    return (counter.QuadPart / frequency) * 1000000 + (counter.QuadPart % frequency) * 1000000 / frequency;
}

IcmpTransport& IcmpTransport::system()
{
    static IcmpTransport transport;
    return transport;
}

// ---- the engine's start-up and wait on this system ---------------------------

bool IcmpPing::startup()
{
    if (g_startup.started)
        return g_startup.result;
    g_startup.started = true;
    // Windows Sockets 2.1, released when the program ends.
    if (!startSocketLibrary(2, 1))
        return false;
    LARGE_INTEGER frequency{};
    if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return false;
    g_startup.frequency = frequency.QuadPart;
    g_startup.result = true;
    return true;
}

bool IcmpPing::waitReadable(int socket, int timeoutMs, bool& readable)
{
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(toSocket(socket), &readSet);
    timeval timeout{};
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_usec = (timeoutMs % 1000) * 1000;
    const int ready = ::select(0, &readSet, nullptr, nullptr, &timeout);
    if (ready == SOCKET_ERROR)
        return false;
    readable = ready > 0;
    return true;
}
