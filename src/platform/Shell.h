#pragma once

#include <string>

// The command interpreter. On Windows the test page goes to the printer
// through the system's LPR client, a command line run here; on Linux the
// program speaks the printer protocol itself and runs no command.

// Runs a command line through the command interpreter (/bin/sh -c; on
// Windows %COMSPEC% /c, cmd.exe without it) and waits for it. The exit
// status, 128 + the signal number when a signal ended it, or -1 when the
// interpreter cannot be started. On Windows a command line that holds a line
// break or a percent sign is not run (-1): the interpreter would end the
// command at the line break and replace %NAME% by an environment variable,
// and no quoting prevents either.
int runCommand(const std::string& commandLine);

// Quotes text so that the interpreter passes it on as exactly one argument,
// unchanged. On Windows the program's own rules (double quotes, a backslash
// before an inner double quote, doubled backslashes before one) and then a
// caret before each character the interpreter treats specially, the double
// quotes included.
std::string quoteShellArgument(const std::string& text);

// Quotes a file name for the interpreter's redirections ("> name"). On
// Windows in plain double quotes, inside which the interpreter takes every
// character literally (a file name cannot hold a double quote).
std::string quoteShellFileName(const std::string& path);
