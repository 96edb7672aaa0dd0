#include "platform/CodePage.h"

#include <windows.h>

unsigned systemAnsiCodePage()
{
    return ::GetACP();
}
