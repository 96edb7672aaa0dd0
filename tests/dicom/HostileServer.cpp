#include "HostileServer.h"
#include "WireBytes.h"

#include <cstdint>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/assoc.h"

namespace {

using Clock = std::chrono::steady_clock;

// The client proposes its one abstract syntax as presentation context 1.
constexpr unsigned char kContext = 1;
constexpr std::uint32_t kHugeLength = 0xFFFFFFF0;
constexpr int kBurstReports = 100;

void putBig32(Bytes& to, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        to.push_back(static_cast<unsigned char>(value >> shift));
}

// An element's header in implicit VR little endian.
void header(Bytes& to, std::uint16_t group, std::uint16_t element, std::uint32_t length)
{
    put16(to, group);
    put16(to, element);
    put32(to, length);
}

void uid(Bytes& to, std::uint16_t element, std::string value)
{
    if (value.size() % 2)
        value += '\0';
    header(to, 0x0000, element, static_cast<std::uint32_t>(value.size()));
    to.insert(to.end(), value.begin(), value.end());
}

void us(Bytes& to, std::uint16_t element, std::uint16_t value)
{
    header(to, 0x0000, element, 2);
    put16(to, value);
}

// A command: its group length, then the elements.
Bytes command(const Bytes& elements)
{
    Bytes bytes;
    header(bytes, 0x0000, 0x0000, 4);
    put32(bytes, static_cast<std::uint32_t>(elements.size()));
    bytes.insert(bytes.end(), elements.begin(), elements.end());
    return bytes;
}

// A P-DATA-TF PDU with one fragment of a command or data set.
Bytes pData(bool isCommand, bool last, const Bytes& fragment)
{
    Bytes pdu{0x04, 0};
    putBig32(pdu, static_cast<std::uint32_t>(fragment.size() + 6));
    putBig32(pdu, static_cast<std::uint32_t>(fragment.size() + 2));
    pdu.push_back(kContext);
    pdu.push_back(static_cast<unsigned char>((isCommand ? 1 : 0) | (last ? 2 : 0)));
    pdu.insert(pdu.end(), fragment.begin(), fragment.end());
    return pdu;
}

Bytes eventReport(std::uint16_t messageId)
{
    Bytes elements;
    uid(elements, 0x0002, UID_PrinterSOPClass);
    us(elements, 0x0100, 0x0100); // N-EVENT-REPORT-RQ
    us(elements, 0x0110, messageId);
    us(elements, 0x0800, 0x0101); // no data set
    uid(elements, 0x1000, UID_PrinterSOPInstance);
    us(elements, 0x1002, 1); // normal
    return pData(true, true, command(elements));
}

bool sendAll(int fd, const Bytes& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

// Reads and drops what has come; false when the client has gone.
bool drain(int fd, int waitMs)
{
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, waitMs) <= 0)
        return true;
    unsigned char buffer[4096];
    return ::recv(fd, buffer, sizeof buffer, 0) > 0;
}

} // namespace

HostileServer::HostileServer(Kind kind) : m_listener(true), m_kind(kind)
{
    m_thread = std::thread([this] { serve(); });
}

HostileServer::~HostileServer()
{
    m_stop = true;
    ::shutdown(m_listener.socket(), SHUT_RDWR);
    m_thread.join();
}

void HostileServer::serve()
{
    while (!stopped()) {
        pollfd entry{m_listener.socket(), POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0)
            continue;
        const int fd = ::accept(m_listener.socket(), nullptr, nullptr);
        if (fd < 0)
            break;
        ++m_connections;
        serveConnection(fd);
    }
}

void HostileServer::serveConnection(int fd)
{
    if (m_kind == Kind::SilentAfterConnection) {
        drainUntilClientGoes(fd, Clock::now() + kGiveUpAfter);
        ::close(fd);
        return;
    }
    // DCMTK's acceptor takes over the connection accepted here.
    T_ASC_Network* network = nullptr;
    dcmExternalSocketHandle.set(fd);
    ASC_initializeNetwork(NET_ACCEPTOR, 0, 30, &network);
    T_ASC_Association* association = nullptr;
    if (ASC_receiveAssociation(network, &association, ASC_DEFAULTMAXPDU).good()) {
        const char* classes[] = {UID_VerificationSOPClass, UID_BasicGrayscalePrintManagementMetaSOPClass};
        const char* syntaxes[] = {UID_LittleEndianImplicitTransferSyntax};
        ASC_acceptContextsWithPreferredTransferSyntaxes(association->params, classes, 2, syntaxes, 1);
        if (ASC_acknowledgeAssociation(association).good())
            misbehave(fd);
        ASC_dropAssociation(association);
    }
    dcmExternalSocketHandle.set(-1);
    if (association)
        ASC_destroyAssociation(&association);
    ASC_dropNetwork(&network);
}

void HostileServer::misbehave(int fd)
{
    const Clock::time_point until = Clock::now() + kGiveUpAfter;
    if (m_kind == Kind::SilentAfterAssociation || !waitForClient(fd)) {
        drainUntilClientGoes(fd, until);
        return;
    }
    switch (m_kind) {
    case Kind::EventReportEveryHalfSecond:
    case Kind::EventReportBurst: {
        const bool burst = m_kind == Kind::EventReportBurst;
        for (std::uint16_t id = 1; !stopped() && Clock::now() < until && (!burst || id <= kBurstReports); ++id) {
            if (!sendAll(fd, eventReport(id)))
                return;
            const Clock::time_point next = Clock::now() + std::chrono::milliseconds(burst ? 0 : 500);
            do
                if (!drain(fd, burst ? 0 : 100))
                    return;
            while (Clock::now() < next);
        }
        break;
    }
    case Kind::EndlessCommandFragments: {
        // A command whose second element says 1 MiB, which then comes 32
        // bytes every 0.1 s.
        Bytes start;
        header(start, 0x0000, 0x0000, 4);
        put32(start, 1u << 20);
        header(start, 0x0000, 0x0002, 1u << 20);
        if (!sendAll(fd, pData(true, false, start)))
            return;
        while (!stopped() && Clock::now() < until)
            if (!sendAll(fd, pData(true, false, Bytes(32, '1'))) || !drain(fd, 100))
                return;
        break;
    }
    case Kind::HugeElementInCommand: {
        Bytes elements;
        uid(elements, 0x0002, UID_VerificationSOPClass);
        us(elements, 0x0100, 0x8030); // C-ECHO-RSP
        us(elements, 0x0120, 1);
        us(elements, 0x0800, 0x0101);
        us(elements, 0x0900, 0);
        header(elements, 0x0000, 0x0902, kHugeLength); // Error Comment
        elements.insert(elements.end(), {'b', 'a', 'd', '!'});
        sendAll(fd, pData(true, true, command(elements)));
        break;
    }
    case Kind::HugeElementInDataSet: {
        Bytes elements;
        uid(elements, 0x0002, UID_PrinterSOPClass);
        us(elements, 0x0100, 0x8110); // N-GET-RSP
        us(elements, 0x0120, 1);
        us(elements, 0x0800, 0x0000); // a data set follows
        us(elements, 0x0900, 0);
        uid(elements, 0x1000, UID_PrinterSOPInstance);
        Bytes data;
        header(data, 0x2110, 0x0010, kHugeLength); // Printer Status
        data.insert(data.end(), {'N', 'O', 'R', 'M', 'A', 'L'});
        if (sendAll(fd, pData(true, true, command(elements))))
            sendAll(fd, pData(false, true, data));
        break;
    }
    case Kind::SilentAfterConnection:
    case Kind::SilentAfterAssociation:
        break;
    }
    drainUntilClientGoes(fd, until);
}

bool HostileServer::waitForClient(int fd)
{
    for (Clock::time_point until = Clock::now() + kGiveUpAfter; !stopped() && Clock::now() < until;) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 100) > 0)
            return drain(fd, 0);
    }
    return false;
}

void HostileServer::drainUntilClientGoes(int fd, Clock::time_point until)
{
    while (!stopped() && Clock::now() < until && drain(fd, 100)) {
    }
}
