#include <iostream>

#include "cli/CfgTool.h"

int main(int argc, char** argv)
{
    return RunCfgTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
