// A stand-in for the print server in the restart test under Wine: a Windows
// program that writes "started" into the file its first argument names, so
// that the test knows it runs, then sleeps for two minutes.
#include <cstdio>
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc > 1) {
        if (std::FILE* marker = std::fopen(argv[1], "w")) {
            std::fputs("started\n", marker);
            std::fclose(marker);
        }
    }
    Sleep(120000);
    return 0;
}
