// A Windows program that pretends to be the command interpreter in the
// restart test under Wine: placed as "cmd.exe" in the server's folder, it
// leaves "impostor.txt" there if Wine ever runs it instead of its own.
#include <cstdio>

int main()
{
    if (std::FILE* marker = std::fopen("impostor.txt", "w")) {
        std::fputs("impostor ran\n", marker);
        std::fclose(marker);
    }
    return 0;
}
