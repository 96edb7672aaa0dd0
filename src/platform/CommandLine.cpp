#include "platform/CommandLine.h"

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// The terminal takes the bytes as they are.
ConsoleStreams::ConsoleStreams() = default;
ConsoleStreams::~ConsoleStreams() = default;
