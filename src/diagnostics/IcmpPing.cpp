#include "diagnostics/IcmpPing.h"

#include "diagnostics/HostAddress.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

thread_local int t_lastError = 0;

std::uint16_t ProcessIdentifier()
{
    return static_cast<std::uint16_t>(::getpid() & 0xFFFF);
}

std::uint32_t TickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

// ---- the system transport -------------------------------------------------

bool IcmpTransport::Resolve(const std::string& host, in_addr& address)
{
    return LookUpIPv4(host, address);
}

int IcmpTransport::Open(bool& headerIncluded)
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

ssize_t IcmpTransport::SendTo(int socket, const std::uint8_t* data, std::size_t size, const sockaddr_in& to)
{
    return ::sendto(socket, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

bool IcmpTransport::WaitReadable(int socket, int timeoutMs, bool& readable)
{
    return CIcmpPing::WaitReadable(socket, timeoutMs, readable);
}

ssize_t IcmpTransport::ReceiveFrom(int socket, std::uint8_t* buffer, std::size_t size, sockaddr_in& from)
{
    socklen_t length = sizeof from;
    return ::recvfrom(socket, buffer, size, 0, reinterpret_cast<sockaddr*>(&from), &length);
}

void IcmpTransport::Close(int socket)
{
    ::close(socket);
}

std::uint16_t IcmpTransport::ReplyIdentifier(int socket, bool headerIncluded)
{
    if (headerIncluded)
        return ProcessIdentifier();
    // The ping socket's identifier is its local "port", in network order, as
    // it stands in the datagram.
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return local.sin_port;
}

std::int64_t IcmpTransport::NowMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

IcmpTransport& IcmpTransport::System()
{
    static IcmpTransport transport;
    return transport;
}

// ---- the echo engine --------------------------------------------------------

int CIcmpPing::LastError()
{
    return t_lastError;
}
void CIcmpPing::SetLastError(int error)
{
    t_lastError = error;
}

bool CIcmpPing::WaitReadable(int socket, int timeoutMs, bool& readable)
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

void CIcmpPing::FillEchoRequest(std::uint8_t* buffer, std::size_t length)
{
    std::memset(buffer, 0, kHeaderSize);
    buffer[0] = 8; // echo request
    buffer[1] = 0;
    const std::uint16_t id = ProcessIdentifier();
    std::memcpy(buffer + 4, &id, sizeof id); // machine order, as the reply test compares it
    const std::uint32_t timestamp = TickCount();
    std::memcpy(buffer + 8, &timestamp, sizeof timestamp);
    if (length > kHeaderSize)
        std::memset(buffer + kHeaderSize, 0x45, length - kHeaderSize);
    const std::uint16_t sum = Checksum(buffer, length);
    std::memcpy(buffer + 2, &sum, sizeof sum);
}

std::uint16_t CIcmpPing::Checksum(const std::uint8_t* buffer, std::size_t length)
{
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < length; i += 2) {
        std::uint16_t word;
        std::memcpy(&word, buffer + i, sizeof word);
        sum += word;
    }
    if (i < length)
        sum += buffer[i];
    sum = (sum >> 16) + (sum & 0xFFFF);
    sum += sum >> 16;
    return static_cast<std::uint16_t>(~sum);
}

bool CIcmpPing::CheckReply(const std::uint8_t* buffer, std::size_t length)
{
    return CheckEchoReply(buffer, length, true, ProcessIdentifier());
}

bool CIcmpPing::CheckEchoReply(const std::uint8_t* buffer, std::size_t length, bool headerIncluded,
                               std::uint16_t identifier)
{
    const std::size_t headerLength = headerIncluded && length > 0 ? (buffer[0] & 0x0F) * 4u : 0u;
    bool valid = headerIncluded ? length > 0 : true;
    valid = valid && length >= headerLength + 8;
    valid = valid && buffer[headerLength] == 0; // echo reply
    if (valid) {
        std::uint16_t id;
        std::memcpy(&id, buffer + headerLength + 4, sizeof id);
        valid = id == identifier;
    }
    if (!valid)
        SetLastError(kUnexpectedNetworkError);
    return valid;
}

bool CIcmpPing::Ping(const std::string& host, PingResult& result, int timeoutMs, std::uint8_t dataSize)
{
    return Ping(IcmpTransport::System(), host, result, timeoutMs, dataSize);
}

bool CIcmpPing::Ping(IcmpTransport& transport, const std::string& host, PingResult& result, int timeoutMs,
                     std::uint8_t dataSize)
{
    if (dataSize < 8) {
        SetLastError(kNoBufferSpace);
        return false;
    }

    sockaddr_in to{};
    to.sin_family = AF_INET;
    if (::inet_aton(host.c_str(), &to.sin_addr) == 0 && !transport.Resolve(host, to.sin_addr)) {
        SetLastError(errno);
        return false;
    }

    bool headerIncluded = true;
    const int s = transport.Open(headerIncluded);
    if (s < 0) {
        SetLastError(errno);
        return false;
    }
    // Every path below closes the socket; the buffers free themselves.
    auto fail = [&](int error) {
        transport.Close(s);
        SetLastError(error);
        return false;
    };

    std::vector<std::uint8_t> request(dataSize + kHeaderSize);
    FillEchoRequest(request.data(), request.size());
    const std::int64_t start = transport.NowMicroseconds();
    if (transport.SendTo(s, request.data(), request.size(), to) < 0)
        return fail(errno);

    std::vector<std::uint8_t> reply(kReplyBufferSize);
    bool readable = false;
    if (!transport.WaitReadable(s, timeoutMs, readable))
        return fail(errno);
    if (!readable)
        return fail(kTimedOut);

    sockaddr_in from{};
    const ssize_t received = transport.ReceiveFrom(s, reply.data(), reply.size(), from);
    const std::int64_t end = transport.NowMicroseconds();
    if (received < 0)
        return fail(errno);

    const std::uint16_t identifier = transport.ReplyIdentifier(s, headerIncluded);
    const bool valid = CheckEchoReply(reply.data(), static_cast<std::size_t>(received), headerIncluded, identifier);
    if (valid) {
        result.SourceAddress = from.sin_addr.s_addr;
        result.ResponseTime = static_cast<std::int32_t>((end - start) / 1000);
    }
    transport.Close(s);
    return valid;
}
