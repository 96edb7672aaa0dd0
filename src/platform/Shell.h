#pragma once

#include <string>

// Runs a command line through the command interpreter (/bin/sh -c) and waits
// for it. The exit status, 128 + the signal number when a signal ended it,
// or -1 when the interpreter cannot be started.
int RunCommand(const std::string& commandLine);

// Quotes text so that the interpreter passes it on as exactly one argument,
// unchanged.
std::string QuoteShellArgument(const std::string& text);

// The current working directory; empty when it cannot be read.
std::string CurrentDirectory();
