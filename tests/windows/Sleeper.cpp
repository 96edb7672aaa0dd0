// A Windows program that only waits: the process tests start copies of it
// under names of their own. Ends by itself with code 7 after a minute.
#include <windows.h>

int main()
{
    ::Sleep(60000);
    return 7;
}
