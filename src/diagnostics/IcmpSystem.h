#pragma once

#include <cstdint>
#include <string>

#include "diagnostics/IcmpPing.h"

// What the echo engine needs of the system besides the transport. Each
// system's transport file defines these.
namespace IcmpSystem {

// The low 16 bits of this process's identifier: the request's identifier.
std::uint16_t processIdentifier();
// Milliseconds of the system's tick count: the request's timestamp.
std::uint32_t tickCount();
// Reads a dotted IPv4 address; false when the text is not one.
bool parseDottedAddress(const std::string& host, in_addr& address);
// The error of the system's last failed socket call.
int lastError();

} // namespace IcmpSystem
