#pragma once

#include <cstddef>
#include <string>

#include "diagnostics/HostAddress.h"

// What the LPD client needs of the system: a non-blocking stream socket and
// who sends the job. The protocol itself (LpdClient.cpp) is the same
// everywhere; LpdSystem.cpp holds the POSIX calls, LpdSystemWin.cpp those of
// Windows Sockets, which the program has started before.
namespace LpdSystem {

#ifdef _WIN32
using Socket = SOCKET;
inline constexpr Socket kNoSocket = INVALID_SOCKET;
#else
using Socket = int;
inline constexpr Socket kNoSocket = -1;
#endif

// What the error of a failed socket call means to the client.
enum class Error {
    Interrupted, // try the call again
    WouldBlock,  // the socket takes or holds nothing for now: wait
    Refused,     // nothing listens on the port
    TimedOut,    // the system gave up on the connection
    Other,
};

// A non-blocking stream socket of the address family that started programs
// do not inherit; kNoSocket on failure, with its error in lastError().
Socket open(int family);
void close(Socket socket);

// Starts connecting to address. Returns 0 when connected or, with pending
// set, when the connection is under way (the socket then becomes writable);
// otherwise the error.
int startConnect(Socket socket, const SocketAddress& address, bool& pending);
// The result of a connection that was under way: 0 or its error.
int connectResult(Socket socket);

// Waits up to timeoutMs for the socket to become writable (or readable);
// false when nothing happened in that time or a signal cut the wait short.
// A failed wait counts as ready, so that the next call reports the error.
bool wait(Socket socket, bool writable, int timeoutMs);

// Hands bytes on without waiting: how many were taken, or -1.
std::ptrdiff_t send(Socket socket, const char* bytes, std::size_t size);
// Reads without waiting (peek: leaves the bytes there): how many were
// read, 0 when the peer closed, or -1.
std::ptrdiff_t receive(Socket socket, unsigned char* bytes, std::size_t size, bool peek);
// The bytes of ours that the peer has not yet taken; -1 when the system does
// not tell.
int unsentBytes(Socket socket);

// The error of the last failed socket call, what it means, and its text.
int lastError();
Error kind(int error);
std::string errorText(int error);

// This machine's name and this process's user's name, empty when unknown;
// what names the user when the name is unknown; this process's identifier.
std::string hostName();
std::string userName();
std::string unnamedUser();
int processId();

} // namespace LpdSystem
