// Stands in for the system's LPR client: writes its arguments, one per line,
// to "args" beside itself, prints "lpr ran" and ends with the number in the
// file "status" beside itself (0 without it).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <windows.h>

int main(int argc, char** argv)
{
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder = folder.substr(0, folder.find_last_of("\\/") + 1);

    std::ofstream args(folder + "args", std::ios::binary | std::ios::trunc);
    for (int i = 1; i < argc; ++i)
        args << argv[i] << '\n';
    args.close();

    std::puts("lpr ran");
    int status = 0;
    std::ifstream statusFile(folder + "status");
    statusFile >> status;
    return status;
}
