#pragma once

#include <string>

// The current working directory; empty when it cannot be read.
std::string currentDirectory();

// The folder that holds the running program; empty when it cannot be told.
std::string executableDirectory();
