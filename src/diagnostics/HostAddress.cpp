#include "diagnostics/HostAddress.h"

#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

bool lookUpIPv4(const std::string& name, in_addr& address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* answer = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &answer) != 0 || !answer) {
        errno = EHOSTUNREACH;
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(answer->ai_addr)->sin_addr;
    ::freeaddrinfo(answer);
    return true;
}

bool parseNumericAddress(const std::string& text, SocketAddress& address)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* answer = nullptr;
    if (text.empty() || ::getaddrinfo(text.c_str(), nullptr, &hints, &answer) != 0 || !answer)
        return false;
    const bool fits = answer->ai_addrlen <= sizeof address.storage;
    if (fits) {
        std::memcpy(&address.storage, answer->ai_addr, answer->ai_addrlen);
        address.length = static_cast<socklen_t>(answer->ai_addrlen);
    }
    ::freeaddrinfo(answer);
    return fits;
}

bool isIPv6Address(const std::string& text)
{
    SocketAddress address;
    return parseNumericAddress(text, address) && address.storage.ss_family == AF_INET6;
}
