#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "diagnostics/IcmpPing.h"

namespace {

std::uint16_t ownIdentifier()
{
    return static_cast<std::uint16_t>(::getpid() & 0xFFFF);
}

// An IPv4 header of headerBytes (20 plus options) followed by an ICMP echo
// header of the given type and identifier.
std::vector<std::uint8_t> datagram(std::size_t headerBytes, std::uint8_t type, std::uint16_t id,
                                   std::size_t payload = 32)
{
    std::vector<std::uint8_t> d(headerBytes + 8 + payload, 0);
    d[0] = static_cast<std::uint8_t>(0x40 | (headerBytes / 4));
    d[headerBytes] = type;
    std::memcpy(d.data() + headerBytes + 4, &id, sizeof id);
    return d;
}

// Stands in for the network: answers each call from the test's script and
// records what the engine did.
class FakeTransport : public IcmpTransport {
  public:
    bool resolveOk = true;
    bool readable = true;
    ssize_t sendResult = 44;
    std::vector<std::uint8_t> reply;
    std::int64_t elapsedMicros = 1500;
    bool headerIncluded = true;

    int resolves = 0, opens = 0, sends = 0, waits = 0, receives = 0, closes = 0;
    std::vector<std::uint8_t> sent;
    sockaddr_in sentTo{};
    int waitedMs = -1;

    bool resolve(const std::string&, in_addr& address) override
    {
        ++resolves;
        if (!resolveOk) {
            errno = EHOSTUNREACH;
            return false;
        }
        address.s_addr = htonl(0x7F000002);
        return true;
    }
    int open(bool& header) override
    {
        ++opens;
        header = headerIncluded;
        return 42;
    }
    ssize_t sendTo(int, const std::uint8_t* data, std::size_t size, const sockaddr_in& to) override
    {
        ++sends;
        sent.assign(data, data + size);
        sentTo = to;
        if (sendResult < 0)
            errno = ENETUNREACH;
        return sendResult;
    }
    bool waitReadable(int, int timeoutMs, bool& isReadable) override
    {
        ++waits;
        waitedMs = timeoutMs;
        isReadable = readable;
        return true;
    }
    ssize_t receiveFrom(int, std::uint8_t* buffer, std::size_t size, sockaddr_in& from) override
    {
        ++receives;
        const std::size_t n = std::min(size, reply.size());
        std::memcpy(buffer, reply.data(), n);
        from.sin_addr.s_addr = htonl(0x7F000002);
        m_now += elapsedMicros;
        return static_cast<ssize_t>(n);
    }
    void close(int) override { ++closes; }
    std::uint16_t replyIdentifier(int, bool) override { return ownIdentifier(); }
    std::int64_t nowMicroseconds() override { return m_now; }

  private:
    std::int64_t m_now = 1000000;
};

} // namespace

TEST(IcmpChecksum, KnownVectorsGiveTheInternetChecksumOnTheWire)
{
    // The example of RFC 1071: the checksum is 0x220d in network order.
    const std::uint8_t rfc[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    const std::uint16_t sum = IcmpPing::checksum(rfc, sizeof rfc);
    std::uint8_t wire[2];
    std::memcpy(wire, &sum, 2);
    EXPECT_EQ(wire[0], 0x22);
    EXPECT_EQ(wire[1], 0x0d);

    const std::uint8_t zeros[4] = {};
    EXPECT_EQ(IcmpPing::checksum(zeros, 4), 0xFFFF);
    // An odd length adds the value of the last byte.
    const std::uint8_t odd[] = {0x00, 0x00, 0x01};
    EXPECT_EQ(IcmpPing::checksum(odd, 3), static_cast<std::uint16_t>(~0x0001));
}

TEST(IcmpRequest, FortyFourBytesWithIdentifierInMachineOrderAndAValidChecksum)
{
    std::uint8_t request[44];
    IcmpPing::fillEchoRequest(request, sizeof request);
    EXPECT_EQ(request[0], 8);
    EXPECT_EQ(request[1], 0);
    std::uint16_t id, sequence;
    std::memcpy(&id, request + 4, 2);
    std::memcpy(&sequence, request + 6, 2);
    EXPECT_EQ(id, ownIdentifier());
    EXPECT_EQ(sequence, 0);
    for (std::size_t i = 12; i < sizeof request; ++i)
        ASSERT_EQ(request[i], 0x45) << i;
    // A request with its checksum in place sums to zero.
    EXPECT_EQ(IcmpPing::checksum(request, sizeof request), 0);
}

TEST(IcmpReply, OnlyAnEchoReplyWithOurIdentifierIsAccepted)
{
    const std::uint16_t own = ownIdentifier();
    auto plain = datagram(20, 0, own);
    EXPECT_TRUE(IcmpPing::checkReply(plain.data(), plain.size()));
    auto options = datagram(28, 0, own);
    EXPECT_TRUE(IcmpPing::checkReply(options.data(), options.size()));

    auto unreachable = datagram(20, 3, own);
    EXPECT_FALSE(IcmpPing::checkReply(unreachable.data(), unreachable.size()));
    EXPECT_EQ(IcmpPing::lastError(), IcmpPing::kUnexpectedNetworkError);
    auto request = datagram(20, 8, own);
    EXPECT_FALSE(IcmpPing::checkReply(request.data(), request.size()));
    auto foreign = datagram(20, 0, static_cast<std::uint16_t>(own + 1));
    EXPECT_FALSE(IcmpPing::checkReply(foreign.data(), foreign.size()));
    auto shortOne = datagram(24, 0, own, 0);
    EXPECT_TRUE(IcmpPing::checkReply(shortOne.data(), shortOne.size()));
    EXPECT_FALSE(IcmpPing::checkReply(shortOne.data(), shortOne.size() - 1));
    EXPECT_FALSE(IcmpPing::checkReply(plain.data(), 0));

    // Datagram sockets deliver ICMP without the IP header.
    const auto bare = std::vector<std::uint8_t>(plain.begin() + 20, plain.end());
    EXPECT_TRUE(IcmpPing::checkEchoReply(bare.data(), bare.size(), false, own));
    EXPECT_FALSE(IcmpPing::checkEchoReply(bare.data(), 7, false, own));
}

TEST(IcmpPingEngine, AValidReplyGivesTheSourceAndTheTruncatedResponseTime)
{
    FakeTransport net;
    net.reply = datagram(20, 0, ownIdentifier());
    PingResult result;
    ASSERT_TRUE(IcmpPing::ping(net, "127.0.0.2", result, 5000, 32));
    EXPECT_EQ(result.ResponseTime, 1);
    EXPECT_EQ(result.SourceAddress, htonl(0x7F000002));
    EXPECT_EQ(net.sent.size(), 44u);
    EXPECT_EQ(net.waitedMs, 5000);
    EXPECT_EQ(net.resolves, 0); // a dotted address needs no look-up
    EXPECT_EQ(net.sentTo.sin_addr.s_addr, htonl(0x7F000002));
    EXPECT_EQ(net.closes, 1);

    net.elapsedMicros = 999;
    ASSERT_TRUE(IcmpPing::ping(net, "127.0.0.2", result, 5000, 32));
    EXPECT_EQ(result.ResponseTime, 0);
}

TEST(IcmpPingEngine, OneRequestAndOneDatagramWhateverArrives)
{
    FakeTransport net;
    net.reply = datagram(20, 3, ownIdentifier());
    PingResult result;
    result.ResponseTime = -7;
    EXPECT_FALSE(IcmpPing::ping(net, "127.0.0.2", result, 5000, 32));
    EXPECT_EQ(IcmpPing::lastError(), IcmpPing::kUnexpectedNetworkError);
    EXPECT_EQ(net.sends, 1);
    EXPECT_EQ(net.receives, 1);
    EXPECT_EQ(net.closes, 1);
    EXPECT_EQ(result.ResponseTime, -7); // written only on success
}

TEST(IcmpPingEngine, FailuresKeepTheirReasonAndCloseTheSocket)
{
    PingResult result;
    {
        FakeTransport net;
        net.readable = false;
        EXPECT_FALSE(IcmpPing::ping(net, "127.0.0.2", result, 5000, 32));
        EXPECT_EQ(IcmpPing::lastError(), IcmpPing::kTimedOut);
        EXPECT_EQ(net.receives, 0);
        EXPECT_EQ(net.closes, 1);
    }
    {
        FakeTransport net;
        net.resolveOk = false;
        EXPECT_FALSE(IcmpPing::ping(net, "printer.invalid", result, 5000, 32));
        EXPECT_EQ(net.resolves, 1);
        EXPECT_EQ(net.opens, 0);
    }
    {
        FakeTransport net;
        net.sendResult = -1;
        EXPECT_FALSE(IcmpPing::ping(net, "127.0.0.2", result, 5000, 32));
        EXPECT_EQ(IcmpPing::lastError(), ENETUNREACH);
        EXPECT_EQ(net.waits, 0);
        EXPECT_EQ(net.closes, 1);
    }
    {
        FakeTransport net;
        EXPECT_FALSE(IcmpPing::ping(net, "127.0.0.2", result, 5000, 7));
        EXPECT_EQ(IcmpPing::lastError(), IcmpPing::kNoBufferSpace);
        EXPECT_EQ(net.opens, 0);
    }
}

TEST(IcmpPingEngine, WaitReadableReportsATimeOutWithoutError)
{
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_DGRAM, 0, fds), 0);
    bool readable = true;
    EXPECT_TRUE(IcmpPing::waitReadable(fds[0], 10, readable));
    EXPECT_FALSE(readable);
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    EXPECT_TRUE(IcmpPing::waitReadable(fds[0], 10, readable));
    EXPECT_TRUE(readable);
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_FALSE(IcmpPing::waitReadable(-1, 10, readable) && readable);
}

TEST(IcmpPingEngine, RealPingOfTheLoopbackAddress)
{
    bool header = false;
    const int probe = IcmpTransport::system().open(header);
    if (probe < 0)
        GTEST_SKIP() << "no ICMP socket may be opened by this user here";
    ::close(probe);
    PingResult result;
    ASSERT_TRUE(IcmpPing::ping("127.0.0.1", result, 5000, 32)) << "last error " << IcmpPing::lastError();
    EXPECT_EQ(result.SourceAddress, htonl(INADDR_LOOPBACK));
    EXPECT_GE(result.ResponseTime, 0);
    ASSERT_TRUE(IcmpPing::ping("localhost", result, 5000, 32));
}

namespace {

// Only the unprivileged ping socket, as an ordinary desktop user has it.
class DatagramOnly : public IcmpTransport {
  public:
    int open(bool& header) override
    {
        header = false;
        return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    }
};

} // namespace

TEST(IcmpPingEngine, RealPingThroughTheUnprivilegedDatagramSocket)
{
    const int probe = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
    if (probe < 0)
        GTEST_SKIP() << "ping sockets are not allowed for this group (net.ipv4.ping_group_range)";
    ::close(probe);
    DatagramOnly transport;
    PingResult result;
    EXPECT_TRUE(IcmpPing::ping(transport, "127.0.0.1", result, 5000, 32)) << IcmpPing::lastError();
}

// A name server that never answers costs no more than the ping's limit.
TEST(IcmpPingEngine, AHangingNameLookUpEndsWithinThePingsTime)
{
    class HangingTransport : public FakeTransport {
      public:
        std::atomic<bool> release{false};
        bool resolve(const std::string&, in_addr&) override
        {
            for (int i = 0; i < 1000 && !release; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return false;
        }
    };
    static HangingTransport net; // outlives the abandoned look-up
    PingResult result;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(IcmpPing::ping(net, "printer.invalid", result, 200, 32));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(IcmpPing::lastError(), IcmpPing::kTimedOut);
    EXPECT_EQ(net.opens, 0);
    net.release = true;
}
