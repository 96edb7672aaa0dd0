#include <iostream>

#include "cli/CfgTool.h"

int main(int argc, char** argv)
{
    // The tool reads and writes whole configurations through the streams.
    std::ios::sync_with_stdio(false);
    return RunCfgTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
