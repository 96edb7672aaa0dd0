#pragma once

#include <string>

// The command interpreter. On Windows the test page goes to the printer
// through the system's LPR client, a command line run here; on Linux the
// program speaks the printer protocol itself and runs no command.

// Runs a command line through the command interpreter (/bin/sh -c) and waits
// for it. The exit status, 128 + the signal number when a signal ended it,
// or -1 when the interpreter cannot be started.
int RunCommand(const std::string& commandLine);

// Quotes text so that the interpreter passes it on as exactly one argument,
// unchanged.
std::string QuoteShellArgument(const std::string& text);
