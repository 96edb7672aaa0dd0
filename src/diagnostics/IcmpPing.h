#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

// Filled by a successful ping.
struct PingResult {
    std::uint32_t SourceAddress = 0; // IPv4 address of the replying host, network order
    std::int32_t ResponseTime = 0;   // whole milliseconds
};

// The operating-system calls of one ping, so that tests can stand in for the
// network. The default implementation uses a raw ICMP socket, and on Linux
// an unprivileged ICMP datagram socket where no raw socket may be opened.
class IcmpTransport {
  public:
    virtual ~IcmpTransport() = default;

    // Resolves a host name to an IPv4 address (network order). Runs on a
    // thread of its own and is abandoned when the ping's time runs out.
    virtual bool resolve(const std::string& host, in_addr& address);
    // Opens a socket for one echo; headerIncluded tells whether received
    // datagrams start with the IP header (raw) or with ICMP (datagram).
    virtual int open(bool& headerIncluded);
    virtual ssize_t sendTo(int socket, const std::uint8_t* data, std::size_t size, const sockaddr_in& to);
    virtual bool waitReadable(int socket, int timeoutMs, bool& readable);
    virtual ssize_t receiveFrom(int socket, std::uint8_t* buffer, std::size_t size, sockaddr_in& from);
    virtual void close(int socket);
    // The identifier the reply must carry, as it appears in the datagram.
    virtual std::uint16_t replyIdentifier(int socket, bool headerIncluded);
    // Microseconds of a monotonic clock.
    virtual std::int64_t nowMicroseconds();

    static IcmpTransport& system();
};

// One ICMP echo: one request, one datagram read, no retry.
class IcmpPing {
  public:
    // The last error of a failed ping besides the errors of the socket
    // calls: a data size below 8, no datagram in time, and a datagram that
    // is not the matching echo reply. In the system's own error numbers, as
    // the socket calls give theirs.
#ifdef _WIN32
    static constexpr int kNoBufferSpace = 10055;       // WSAENOBUFS
    static constexpr int kTimedOut = 10060;            // WSAETIMEDOUT
    static constexpr int kUnexpectedNetworkError = 59; // ERROR_UNEXP_NET_ERR
#else
    static constexpr int kNoBufferSpace = ENOBUFS;
    static constexpr int kTimedOut = ETIMEDOUT;
    static constexpr int kUnexpectedNetworkError = EPROTO;
#endif
    static constexpr std::size_t kHeaderSize = 12;
    static constexpr std::size_t kReplyBufferSize = 1024;

    static bool ping(const std::string& host, PingResult& result, int timeoutMs, std::uint8_t dataSize);
    static bool ping(IcmpTransport& transport, const std::string& host, PingResult& result, int timeoutMs,
                     std::uint8_t dataSize);

    // Starts what the system needs before the first ping (Windows: the
    // socket library 2.1 and the performance counter), once per process; a
    // failed start is not tried again.
    static bool startup();
    static bool waitReadable(int socket, int timeoutMs, bool& readable);
    static void fillEchoRequest(std::uint8_t* buffer, std::size_t length);
    static std::uint16_t checksum(const std::uint8_t* buffer, std::size_t length);
    // A datagram that starts with the IP header must hold an echo reply
    // carrying this process's identifier.
    static bool checkReply(const std::uint8_t* buffer, std::size_t length);
    // The same test for a datagram whose ICMP part starts at ipHeaderLength
    // (0 for datagram sockets) and must carry identifier.
    static bool checkEchoReply(const std::uint8_t* buffer, std::size_t length, bool headerIncluded,
                               std::uint16_t identifier);

    // The reason of the calling thread's last failed ping.
    static int lastError();

  private:
    static void setLastError(int error);
};
