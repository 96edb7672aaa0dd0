#include "platform/Sockets.h"

bool startSocketLibrary(int, int)
{
    // The sockets are part of the system here.
    return true;
}
