#include "platform/Sockets.h"

bool StartSocketLibrary(int, int)
{
    // The sockets are part of the system here.
    return true;
}
