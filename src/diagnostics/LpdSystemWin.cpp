// The LPD client's socket and sender on Windows: Windows Sockets, which the
// program starts before it sends (startSocketLibrary).
#include "diagnostics/LpdSystem.h"

#include <climits>
#include <cstdlib>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

LpdSystem::Socket LpdSystem::open(int family)
{
    // Sockets are inherited by started programs unless told otherwise.
    const SOCKET socket =
        ::WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET)
        return kNoSocket;
    // A control step is a few bytes that the printer answers: no waiting to
    // fill a segment.
    const BOOL on = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
        const int error = ::WSAGetLastError();
        ::closesocket(socket);
        ::WSASetLastError(error);
        return kNoSocket;
    }
    return socket;
}

void LpdSystem::close(Socket socket)
{
    ::closesocket(socket);
}

int LpdSystem::startConnect(Socket socket, const SocketAddress& address, bool& pending)
{
    pending = false;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0)
        return 0;
    // A non-blocking connection under way reports "would block".
    const int error = ::WSAGetLastError();
    pending = error == WSAEWOULDBLOCK;
    return pending ? 0 : error;
}

int LpdSystem::connectResult(Socket socket)
{
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        error = ::WSAGetLastError();
    return error;
}

bool LpdSystem::wait(Socket socket, bool writable, int timeoutMs)
{
    // A connection that failed shows in the exceptions, not as writable.
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int count =
        ::select(0, writable ? nullptr : &ready, writable ? &ready : nullptr, writable ? &failed : nullptr, &timeout);
    return count != 0;
}

std::ptrdiff_t LpdSystem::send(Socket socket, const char* bytes, std::size_t size)
{
    return ::send(socket, bytes, static_cast<int>(size < INT_MAX ? size : INT_MAX), 0);
}

std::ptrdiff_t LpdSystem::receive(Socket socket, unsigned char* bytes, std::size_t size, bool peek)
{
    return ::recv(socket, reinterpret_cast<char*>(bytes), static_cast<int>(size < INT_MAX ? size : INT_MAX),
                  peek ? MSG_PEEK : 0);
}

int LpdSystem::unsentBytes(Socket)
{
    return -1;
}

int LpdSystem::lastError()
{
    return ::WSAGetLastError();
}

LpdSystem::Error LpdSystem::kind(int error)
{
    switch (error) {
    case WSAEINTR:
        return Error::Interrupted;
    case WSAEWOULDBLOCK:
        return Error::WouldBlock;
    case WSAECONNREFUSED:
        return Error::Refused;
    case WSAETIMEDOUT:
        return Error::TimedOut;
    default:
        return Error::Other;
    }
}

std::string LpdSystem::errorText(int error)
{
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", buffer ? length : 0);
    ::LocalFree(buffer);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.pop_back();
    const std::string code = "error " + std::to_string(error);
    return text.empty() ? code : text + " (" + code + ")";
}

std::string LpdSystem::hostName()
{
    char host[256] = {};
    return ::gethostname(host, sizeof host - 1) == 0 ? host : "";
}

std::string LpdSystem::userName()
{
    char name[257] = {};
    DWORD size = sizeof name;
    if (::GetUserNameA(name, &size))
        return name;
    const char* variable = std::getenv("USERNAME");
    return variable ? variable : "";
}

std::string LpdSystem::unnamedUser()
{
    return "user";
}

int LpdSystem::processId()
{
    return static_cast<int>(::GetCurrentProcessId());
}
