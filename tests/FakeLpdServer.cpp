#include "FakeLpdServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Every read of the fake server gives up after this, so that a faulty
// client cannot hang the tests.
constexpr int kReadTimeoutMs = 5000;

bool ReadByte(int fd, char& c)
{
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, kReadTimeoutMs) <= 0)
        return false;
    return ::recv(fd, &c, 1, 0) == 1;
}

bool ReadLine(int fd, std::string& line)
{
    line.clear();
    char c;
    while (ReadByte(fd, c)) {
        if (c == '\n')
            return true;
        line += c;
    }
    return false;
}

bool ReadBytes(int fd, std::size_t count, std::string& bytes)
{
    bytes.clear();
    char c;
    while (bytes.size() < count && ReadByte(fd, c))
        bytes += c;
    return bytes.size() == count;
}

void Answer(int fd, char code)
{
    if (::send(fd, &code, 1, MSG_NOSIGNAL) != 1) {
        // The client is gone; what it saw is what the test checks.
    }
}

sockaddr_in Loopback(const std::string& address, std::uint16_t port)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_aton(address.c_str(), &where.sin_addr);
    return where;
}

std::uint16_t BoundPort(int fd)
{
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    return ntohs(bound.sin_port);
}

} // namespace

FakeLpdServer::FakeLpdServer(Behaviour behaviour, const std::string& address, std::uint16_t port)
    : m_behaviour(behaviour)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in where = Loopback(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 || ::listen(fd, 4) != 0) {
        m_listenError = errno;
        ::close(fd);
        return;
    }
    m_listener = fd;
    m_port = BoundPort(fd);
    m_thread = std::thread(&FakeLpdServer::Serve, this);
}

FakeLpdServer::~FakeLpdServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

const FakeLpdServer::Received& FakeLpdServer::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_received;
}

void FakeLpdServer::Serve()
{
    // Waits for the one connection in short steps, so that the destructor
    // can end a server that nobody called.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!m_stop && std::chrono::steady_clock::now() < giveUp) {
        pollfd entry{m_listener, POLLIN, 0};
        if (::poll(&entry, 1, 50) <= 0)
            continue;
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ServeConnection(client);
        ::close(client);
        return;
    }
}

void FakeLpdServer::ServeConnection(int client)
{
    std::string line;
    if (!ReadLine(client, line) || line.empty() || line[0] != '\x02')
        return;
    m_received.queue = line.substr(1);
    switch (m_behaviour) {
    case Behaviour::RefuseQueue:
        Answer(client, 1);
        return;
    case Behaviour::CloseAtQueue:
        return;
    case Behaviour::Hang: {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!m_stop && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return;
    }
    default:
        Answer(client, 0);
    }
    while (ReadLine(client, line)) {
        m_received.commands.push_back(line);
        const bool control = !line.empty() && line[0] == '\x02';
        if (control && m_behaviour == Behaviour::CloseAtControlFile)
            return;
        Answer(client, 0);
        const std::size_t count = std::strtoul(line.c_str() + 1, nullptr, 10);
        std::string bytes;
        if (!control && m_behaviour == Behaviour::CloseInData) {
            ReadBytes(client, count / 2, bytes);
            return;
        }
        if (!ReadBytes(client, count + 1, bytes))
            return;
        m_received.filesEndedWithZero = m_received.filesEndedWithZero && bytes.back() == '\0';
        bytes.pop_back();
        (control ? m_received.controlFile : m_received.dataFile) = bytes;
        Answer(client, !control && m_behaviour == Behaviour::RefuseDataFile ? 1 : 0);
    }
}

std::uint16_t UnusedLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in where = Loopback("127.0.0.1", 0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    const std::uint16_t port = BoundPort(fd);
    ::close(fd);
    return port;
}

FullListener::FullListener()
{
    // A backlog of 0 holds one pending connection: the filler takes it.
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in where = Loopback("127.0.0.1", 0);
    ::bind(m_listener, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    ::listen(m_listener, 0);
    m_port = BoundPort(m_listener);
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in to = Loopback("127.0.0.1", m_port);
    ::connect(m_filler, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

FullListener::~FullListener()
{
    ::close(m_filler);
    ::close(m_listener);
}
