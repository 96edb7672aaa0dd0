#include <iostream>

#include "cli/CfgTool.h"
#include "platform/CommandLine.h"
#include "platform/Sockets.h"

int main(int argc, char** argv)
{
    // The tool reads and writes whole configurations through the streams;
    // on a console they show the text's characters (Windows writes them
    // itself, whatever the console's code page).
    std::ios::sync_with_stdio(false);
    const ConsoleStreams console;
    // Started at once, as the editor does, so that a system whose sockets
    // cannot start says so before any command runs.
    if (!startSocketLibrary(1, 1)) {
        std::cerr << kSocketStartupFailed << '\n';
        return 2;
    }
    return runCfgTool(commandLineArguments(argc, argv), std::cout, std::cerr);
}
