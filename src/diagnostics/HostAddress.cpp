#include "diagnostics/HostAddress.h"

#include <cerrno>
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
