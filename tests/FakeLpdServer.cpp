#include "FakeLpdServer.h"

#include <chrono>
#include <cstdlib>
#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

using Socket = FakeLpdServer::Socket;

// The few socket calls that differ between the systems.
#ifdef _WIN32
constexpr int kNoSignal = 0;

Socket openSocket(int family)
{
    return ::socket(family, SOCK_STREAM, 0);
}

Socket acceptClient(Socket listener)
{
    return ::accept(listener, nullptr, nullptr);
}

void closeSocket(Socket fd)
{
    ::closesocket(fd);
}

int lastError()
{
    return ::WSAGetLastError();
}

// True when fd has bytes (or an end) to read within timeoutMs.
bool readable(Socket fd, int timeoutMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(fd, &set);
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return ::select(0, &set, nullptr, nullptr, &timeout) > 0;
}

void parseIPv4(const std::string& address, in_addr& to)
{
    ::inet_pton(AF_INET, address.c_str(), &to);
}
#else
constexpr int kNoSignal = MSG_NOSIGNAL;

Socket openSocket(int family)
{
    return ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

Socket acceptClient(Socket listener)
{
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

void closeSocket(Socket fd)
{
    ::close(fd);
}

int lastError()
{
    return errno;
}

bool readable(Socket fd, int timeoutMs)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

void parseIPv4(const std::string& address, in_addr& to)
{
    ::inet_aton(address.c_str(), &to);
}
#endif

// Every read of the fake server gives up after this, so that a faulty
// client cannot hang the tests.
constexpr int kReadTimeoutMs = 5000;

bool readByte(Socket fd, char& c)
{
    if (!readable(fd, kReadTimeoutMs))
        return false;
    return ::recv(fd, &c, 1, 0) == 1;
}

bool readLine(Socket fd, std::string& line)
{
    line.clear();
    char c;
    while (readByte(fd, c)) {
        if (c == '\n')
            return true;
        line += c;
    }
    return false;
}

bool readBytes(Socket fd, std::size_t count, std::string& bytes)
{
    bytes.clear();
    char c;
    while (bytes.size() < count && readByte(fd, c))
        bytes += c;
    return bytes.size() == count;
}

void answer(Socket fd, char code)
{
    if (::send(fd, &code, 1, kNoSignal) != 1) {
        // The client is gone; what it saw is what the test checks.
    }
}

sockaddr_in loopback(const std::string& address, std::uint16_t port)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    parseIPv4(address, where.sin_addr);
    return where;
}

std::uint16_t boundPort(Socket fd)
{
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    if (bound.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in*>(&bound)->sin_port);
}

} // namespace

FakeLpdServer::FakeLpdServer(Behaviour behaviour, const std::string& address, std::uint16_t port)
    : m_behaviour(behaviour)
{
    const bool ipv6 = address.find(':') != std::string::npos;
    const Socket fd = openSocket(ipv6 ? AF_INET6 : AF_INET);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in where = loopback(address, port);
    sockaddr_in6 where6{};
    where6.sin6_family = AF_INET6;
    where6.sin6_port = htons(port);
    ::inet_pton(AF_INET6, address.c_str(), &where6.sin6_addr);
    const int bound = ipv6 ? ::bind(fd, reinterpret_cast<const sockaddr*>(&where6), sizeof where6)
                           : ::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    if (bound != 0 || ::listen(fd, 4) != 0) {
        m_listenError = lastError();
        closeSocket(fd);
        return;
    }
    m_listener = fd;
    m_port = boundPort(fd);
    m_thread = std::thread(&FakeLpdServer::serve, this);
}

FakeLpdServer::~FakeLpdServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener != kNoSocket)
        closeSocket(m_listener);
}

const FakeLpdServer::Received& FakeLpdServer::wait()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_received;
}

void FakeLpdServer::serve()
{
    // Waits for the one connection in short steps, so that the destructor
    // can end a server that nobody called.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!m_stop && std::chrono::steady_clock::now() < giveUp) {
        if (!readable(m_listener, 50))
            continue;
        const Socket client = acceptClient(m_listener);
        if (client == kNoSocket)
            continue;
        serveConnection(client);
        closeSocket(client);
        return;
    }
}

void FakeLpdServer::serveConnection(Socket client)
{
    std::string line;
    if (!readLine(client, line) || line.empty() || line[0] != '\x02')
        return;
    m_received.queue = line.substr(1);
    switch (m_behaviour) {
    case Behaviour::RefuseQueue:
        answer(client, 1);
        return;
    case Behaviour::CloseAtQueue:
        return;
    case Behaviour::Hang: {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!m_stop && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return;
    }
    case Behaviour::EndlessZeros: {
        const std::string zeros(4096, '\0');
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!m_stop && std::chrono::steady_clock::now() < giveUp &&
               ::send(client, zeros.data(), static_cast<int>(zeros.size()), kNoSignal) > 0) {
        }
        return;
    }
    default:
        answerAfterPause(client);
    }
    while (readLine(client, line)) {
        m_received.commands.push_back(line);
        const bool control = !line.empty() && line[0] == '\x02';
        if (control && m_behaviour == Behaviour::CloseAtControlFile)
            return;
        answerAfterPause(client);
        const std::size_t count = std::strtoul(line.c_str() + 1, nullptr, 10);
        std::string bytes;
        if (!control && m_behaviour == Behaviour::SlowReader) {
            readSlowly(client);
            return;
        }
        if (!control && m_behaviour == Behaviour::CloseInData) {
            readBytes(client, count / 2, bytes);
            return;
        }
        if (!readBytes(client, count + 1, bytes))
            return;
        m_received.filesEndedWithZero = m_received.filesEndedWithZero && bytes.back() == '\0';
        bytes.pop_back();
        (control ? m_received.controlFile : m_received.dataFile) = bytes;
        if (!control && m_behaviour == Behaviour::RefuseDataFile)
            answer(client, 1);
        else
            answerAfterPause(client);
    }
}

void FakeLpdServer::answerAfterPause(Socket client)
{
    if (m_behaviour == Behaviour::SlowAnswers)
        std::this_thread::sleep_for(kSlowAnswer);
    answer(client, 0);
}

// Takes 64 KiB every 20 ms until the client gives up.
void FakeLpdServer::readSlowly(Socket client)
{
    std::vector<char> buffer(64 * 1024);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!m_stop && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!readable(client, kReadTimeoutMs) || ::recv(client, buffer.data(), static_cast<int>(buffer.size()), 0) <= 0)
            return;
    }
}

std::uint16_t unusedLoopbackPort()
{
    const Socket fd = openSocket(AF_INET);
    const sockaddr_in where = loopback("127.0.0.1", 0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    const std::uint16_t port = boundPort(fd);
    closeSocket(fd);
    return port;
}

FullListener::FullListener()
{
    // A backlog of 0 holds one pending connection: the filler takes it.
    m_listener = openSocket(AF_INET);
    const sockaddr_in where = loopback("127.0.0.1", 0);
    ::bind(m_listener, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    ::listen(m_listener, 0);
    m_port = boundPort(m_listener);
    m_filler = openSocket(AF_INET);
    const sockaddr_in to = loopback("127.0.0.1", m_port);
    ::connect(m_filler, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

FullListener::~FullListener()
{
    closeSocket(m_filler);
    closeSocket(m_listener);
}
