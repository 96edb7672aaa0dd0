#include "platform/Sockets.h"

#include <winsock2.h>

namespace {

// Releases, when the program ends, every start of the socket library that
// succeeded: each WSAStartup is matched by one WSACleanup.
class SocketLibraryStarts {
  public:
    ~SocketLibraryStarts()
    {
        for (; m_count > 0; --m_count)
            ::WSACleanup();
    }
    void add() { ++m_count; }

  private:
    int m_count = 0;
};

SocketLibraryStarts& starts()
{
    static SocketLibraryStarts starts;
    return starts;
}

} // namespace

bool startSocketLibrary(int majorVersion, int minorVersion)
{
    if (majorVersion < 0 || majorVersion > 255 || minorVersion < 0 || minorVersion > 255)
        return false;
    const WORD requested = MAKEWORD(majorVersion, minorVersion);
    WSADATA data{};
    if (::WSAStartup(requested, &data) != 0)
        return false;
    // The library may offer another version than the one asked for.
    if (data.wVersion != requested) {
        ::WSACleanup();
        return false;
    }
    starts().add();
    return true;
}
