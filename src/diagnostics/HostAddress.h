#pragma once

#include <string>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

// Resolves a host name to its first IPv4 address (network order), as both
// printer diagnostics do for an address that is not a dotted IPv4 address.
// False, with errno EHOSTUNREACH, when the name cannot be resolved.
bool lookUpIPv4(const std::string& name, in_addr& address);
