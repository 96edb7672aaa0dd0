#include "platform/Shell.h"

#include <cstdlib>
#include <sys/wait.h>

int runCommand(const std::string& commandLine)
{
    const int status = std::system(commandLine.c_str());
    if (status == -1)
        return -1;
    if (WIFEXITED(status)) {
        // The shell reports 127 when it could not run itself at all; a
        // command it cannot find gives 127 too, which stays a plain status.
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

std::string quoteShellFileName(const std::string& path)
{
    return quoteShellArgument(path);
}

std::string quoteShellArgument(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}
