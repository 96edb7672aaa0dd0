// The echo engine: builds the request, runs one exchange through the
// transport and checks the reply. The same on every system; what differs is
// in IcmpSystem and the transport.
#include "diagnostics/IcmpPing.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "diagnostics/BoundedCall.h"
#include "diagnostics/IcmpSystem.h"

namespace {

thread_local int t_lastError = 0;

} // namespace

int IcmpPing::lastError()
{
    return t_lastError;
}
void IcmpPing::setLastError(int error)
{
    t_lastError = error;
}

void IcmpPing::fillEchoRequest(std::uint8_t* buffer, std::size_t length)
{
    std::memset(buffer, 0, kHeaderSize);
    buffer[0] = 8; // echo request
    buffer[1] = 0;
    const std::uint16_t id = IcmpSystem::processIdentifier();
    std::memcpy(buffer + 4, &id, sizeof id); // machine order, as the reply test compares it
    const std::uint32_t timestamp = IcmpSystem::tickCount();
    std::memcpy(buffer + 8, &timestamp, sizeof timestamp);
    if (length > kHeaderSize)
        std::memset(buffer + kHeaderSize, 0x45, length - kHeaderSize);
    const std::uint16_t sum = checksum(buffer, length);
    std::memcpy(buffer + 2, &sum, sizeof sum);
}

std::uint16_t IcmpPing::checksum(const std::uint8_t* buffer, std::size_t length)
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

bool IcmpPing::checkReply(const std::uint8_t* buffer, std::size_t length)
{
    return checkEchoReply(buffer, length, true, IcmpSystem::processIdentifier());
}

bool IcmpPing::checkEchoReply(const std::uint8_t* buffer, std::size_t length, bool headerIncluded,
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
        setLastError(kUnexpectedNetworkError);
    return valid;
}

bool IcmpPing::ping(const std::string& host, PingResult& result, int timeoutMs, std::uint8_t dataSize)
{
    return ping(IcmpTransport::system(), host, result, timeoutMs, dataSize);
}

bool IcmpPing::ping(IcmpTransport& transport, const std::string& host, PingResult& result, int timeoutMs,
                    std::uint8_t dataSize)
{
    if (dataSize < 8) {
        setLastError(kNoBufferSpace);
        return false;
    }
    if (!startup())
        return false;

    sockaddr_in to{};
    to.sin_family = AF_INET;
    if (!IcmpSystem::parseDottedAddress(host, to.sin_addr)) {
        // The look-up counts against the ping's time: a name server that
        // does not answer must not hold the ping longer than its limit.
        struct Found {
            bool found;
            in_addr address;
            int error;
        };
        const auto lookUpStart = std::chrono::steady_clock::now();
        const std::optional<Found> found = callWithin<Found>(
            [&transport, host] {
                Found answer{false, {}, 0};
                answer.found = transport.resolve(host, answer.address);
                answer.error = answer.found ? 0 : IcmpSystem::lastError();
                return answer;
            },
            std::chrono::milliseconds(timeoutMs));
        if (!found) {
            setLastError(kTimedOut);
            return false;
        }
        if (!found->found) {
            setLastError(found->error);
            return false;
        }
        to.sin_addr = found->address;
        const auto spent =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - lookUpStart);
        timeoutMs = std::max(0, timeoutMs - static_cast<int>(spent.count()));
    }

    bool headerIncluded = true;
    const int s = transport.open(headerIncluded);
    if (s < 0) {
        setLastError(IcmpSystem::lastError());
        return false;
    }
    // Every path below closes the socket; the buffers free themselves.
    auto fail = [&](int error) {
        transport.close(s);
        setLastError(error);
        return false;
    };

    std::vector<std::uint8_t> request(dataSize + kHeaderSize);
    fillEchoRequest(request.data(), request.size());
    const std::int64_t start = transport.nowMicroseconds();
    if (transport.sendTo(s, request.data(), request.size(), to) < 0)
        return fail(IcmpSystem::lastError());

    std::vector<std::uint8_t> reply(kReplyBufferSize);
    bool readable = false;
    if (!transport.waitReadable(s, timeoutMs, readable))
        return fail(IcmpSystem::lastError());
    if (!readable)
        return fail(kTimedOut);

    sockaddr_in from{};
    const ssize_t received = transport.receiveFrom(s, reply.data(), reply.size(), from);
    const std::int64_t end = transport.nowMicroseconds();
    if (received < 0)
        return fail(IcmpSystem::lastError());

    const std::uint16_t identifier = transport.replyIdentifier(s, headerIncluded);
    const bool valid = checkEchoReply(reply.data(), static_cast<std::size_t>(received), headerIncluded, identifier);
    if (valid) {
        result.SourceAddress = from.sin_addr.s_addr;
        result.ResponseTime = static_cast<std::int32_t>((end - start) / 1000);
    }
    transport.close(s);
    return valid;
}
