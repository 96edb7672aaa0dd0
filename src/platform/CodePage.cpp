#include "platform/CodePage.h"

unsigned systemAnsiCodePage()
{
    return 0;
}
