#include <iostream>

#include "cli/CfgTool.h"
#include "platform/Sockets.h"

int main(int argc, char** argv)
{
    // Started at once, as the editor does, so that a system whose sockets
    // cannot start says so before any command runs.
    if (!startSocketLibrary(1, 1)) {
        std::cerr << kSocketStartupFailed << '\n';
        return 2;
    }
    // The tool reads and writes whole configurations through the streams.
    std::ios::sync_with_stdio(false);
    return runCfgTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
