// The command interpreter of Windows (cmd.exe, or what COMSPEC names).
#include "platform/Shell.h"

#include <cstdlib>

#include "platform/WinText.h"

int runCommand(const std::string& commandLine)
{
    // A line break would end the command early and run the rest as a
    // command of its own; a percent sign may be replaced by an environment
    // variable, and no escape stops that on every interpreter. Such a
    // command line is not run.
    if (commandLine.find_first_of(std::string("\r\n%", 3)) != std::string::npos ||
        commandLine.find('\0') != std::string::npos)
        return -1;
    // The runtime's system() runs "%COMSPEC% /c" (cmd.exe without it) and
    // gives the interpreter's exit status, or -1 when it cannot start it.
    // The program's paths are UTF-8, so a line that is UTF-8 goes through
    // the wide call; one that is not (a queue name of a Windows-1252 file)
    // is in the ANSI code page, as before.
    std::wstring wide;
    if (wideFromUtf8(commandLine, wide))
        return ::_wsystem(wide.c_str());
    return std::system(commandLine.c_str());
}

std::string quoteShellArgument(const std::string& text)
{
    // First the program's own rules for its command line: the argument in
    // double quotes, a double quote inside as \", and the backslashes right
    // before a double quote (or before the closing one) doubled.
    std::string argument = "\"";
    std::size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            argument.append(2 * backslashes + 1, '\\');
        else
            argument.append(backslashes, '\\');
        backslashes = 0;
        argument += c;
    }
    argument.append(2 * backslashes, '\\');
    argument += '"';

    // Then the interpreter's: every character it treats specially, the
    // double quotes included, gets a caret, so that it sees no quoted part
    // and passes everything on literally.
    std::string quoted;
    for (char c : argument) {
        switch (c) {
        case '^':
        case '"':
        case '&':
        case '|':
        case '<':
        case '>':
        case '(':
        case ')':
        case '!':
            quoted += '^';
            break;
        default:
            break;
        }
        quoted += c;
    }
    return quoted;
}

std::string quoteShellFileName(const std::string& path)
{
    return "\"" + path + "\"";
}
