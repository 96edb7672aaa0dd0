// The echo engine on Windows: its request, its error values as Windows
// gives them, and a real ping of the loopback address over a raw socket.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>
#include <winsock2.h>

#include "diagnostics/IcmpPing.h"
#include "diagnostics/PrinterDiagnostics.h"

namespace {

std::uint16_t ownIdentifier()
{
    return static_cast<std::uint16_t>(::GetCurrentProcessId() & 0xFFFF);
}

// Stands in for the network; failures leave their error where Windows
// Sockets leaves it.
class FakeTransport : public IcmpTransport {
  public:
    bool readable = true;
    int sendError = 0;
    std::uint8_t replyType = 0;
    int opens = 0, closes = 0, receives = 0;

    bool resolve(const std::string&, in_addr&) override
    {
        ::WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    int open(bool& header) override
    {
        ++opens;
        header = true;
        return 42;
    }
    ssize_t sendTo(int, const std::uint8_t*, std::size_t size, const sockaddr_in&) override
    {
        if (sendError != 0) {
            ::WSASetLastError(sendError);
            return -1;
        }
        return static_cast<ssize_t>(size);
    }
    bool waitReadable(int, int, bool& isReadable) override
    {
        isReadable = readable;
        return true;
    }
    ssize_t receiveFrom(int, std::uint8_t* buffer, std::size_t size, sockaddr_in& from) override
    {
        ++receives;
        std::vector<std::uint8_t> d(20 + 8 + 32, 0);
        d[0] = 0x45;
        d[20] = replyType;
        const std::uint16_t id = ownIdentifier();
        std::memcpy(d.data() + 24, &id, sizeof id);
        std::memcpy(buffer, d.data(), std::min(size, d.size()));
        from.sin_addr.s_addr = htonl(0x7F000001);
        return static_cast<ssize_t>(d.size());
    }
    void close(int) override
    {
        ++closes;
        ::WSASetLastError(0); // closing must not lose the reason
    }
    std::uint16_t replyIdentifier(int, bool) override { return ownIdentifier(); }
    std::int64_t nowMicroseconds() override { return m_now += 700; }

  private:
    std::int64_t m_now = 0;
};

} // namespace

TEST(WinIcmp, TheRequestCarriesTheProcessIdAndTheTickCount)
{
    std::uint8_t request[44];
    const DWORD before = ::GetTickCount();
    IcmpPing::fillEchoRequest(request, sizeof request);
    const DWORD after = ::GetTickCount();
    std::uint16_t id;
    std::uint32_t stamp;
    std::memcpy(&id, request + 4, 2);
    std::memcpy(&stamp, request + 8, 4);
    EXPECT_EQ(id, ownIdentifier());
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(IcmpPing::checksum(request, sizeof request), 0);
}

TEST(WinIcmp, FailuresKeepTheWindowsErrorValues)
{
    FakeTransport transport;
    PingResult result;
    EXPECT_FALSE(IcmpPing::ping(transport, "127.0.0.1", result, 5000, 7));
    EXPECT_EQ(IcmpPing::lastError(), 10055);
    EXPECT_EQ(transport.opens, 0);

    transport.readable = false;
    EXPECT_FALSE(IcmpPing::ping(transport, "127.0.0.1", result, 5000, 32));
    EXPECT_EQ(IcmpPing::lastError(), 10060);
    EXPECT_EQ(transport.receives, 0);

    transport.readable = true;
    transport.replyType = 3; // destination unreachable
    EXPECT_FALSE(IcmpPing::ping(transport, "127.0.0.1", result, 5000, 32));
    EXPECT_EQ(IcmpPing::lastError(), 59);

    transport.sendError = WSAENETUNREACH;
    EXPECT_FALSE(IcmpPing::ping(transport, "127.0.0.1", result, 5000, 32));
    EXPECT_EQ(IcmpPing::lastError(), WSAENETUNREACH);

    // Not a dotted address: the name look-up's own error.
    EXPECT_FALSE(IcmpPing::ping(transport, "printer.invalid", result, 5000, 32));
    EXPECT_EQ(IcmpPing::lastError(), WSAHOST_NOT_FOUND);
    EXPECT_EQ(transport.closes, transport.opens);

    transport.sendError = 0;
    transport.replyType = 0;
    EXPECT_TRUE(IcmpPing::ping(transport, "127.0.0.1", result, 5000, 32));
    EXPECT_EQ(result.SourceAddress, htonl(0x7F000001));
    EXPECT_EQ(result.ResponseTime, 0); // 0.7 ms is truncated
}

TEST(WinIcmp, PingsTheLoopbackAddressOverARawSocket)
{
    // The raw socket needs the right to open one: an administrator on
    // Windows, root under Wine on Linux.
    ASSERT_TRUE(IcmpPing::startup());
    const SOCKET probe = ::WSASocketA(AF_INET, SOCK_RAW, IPPROTO_ICMP, nullptr, 0, 0);
    if (probe == INVALID_SOCKET)
        GTEST_SKIP() << "no raw ICMP socket here (error " << ::WSAGetLastError() << ")";
    ::closesocket(probe);

    // Pinging this machine, the raw socket reads our own request first; the
    // transport must pass over it to the answer.
    PingResult result;
    ASSERT_TRUE(IcmpPing::ping("127.0.0.1", result, 5000, 32)) << "last error " << IcmpPing::lastError();
    EXPECT_EQ(result.SourceAddress, htonl(0x7F000001));
    EXPECT_GE(result.ResponseTime, 0);
    EXPECT_LT(result.ResponseTime, 5000);

    std::string report;
    EXPECT_TRUE(PrinterDiagnostics().ping("127.0.0.1", report));
    EXPECT_EQ(report.rfind("SUCCESS!\n\n'127.0.0.1' successfully pinged.\nResponse time was ", 0), 0u) << report;
}
