#pragma once

#include <string>
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#endif

// Resolves a host name to its first IPv4 address (network order), as both
// printer diagnostics do for an address that is not a dotted IPv4 address.
// False, with errno EHOSTUNREACH, when the name cannot be resolved.
bool lookUpIPv4(const std::string& name, in_addr& address);

// An IPv4 or IPv6 socket address, as connect() takes it.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

// Reads a numeric address of either family ("10.0.0.7", "::1",
// "fe80::1%lo" with its zone); never looks a name up.
bool parseNumericAddress(const std::string& text, SocketAddress& address);

// True when text is a numeric IPv6 address.
bool isIPv6Address(const std::string& text);
