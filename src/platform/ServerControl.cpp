#include "platform/ServerControl.h"

#include "platform/Processes.h"

int ServerControl::terminateProcessesByName(const std::string& name, bool all)
{
    return ::terminateProcessesByName(name, all);
}

bool ServerControl::startScript(const std::string& name, const std::string& directory)
{
    return ::startScript(name, directory);
}

std::string ServerControl::scriptFileName(const std::string& name, const std::string& directory)
{
    const std::string found = ::findScriptFile(name, directory);
    return found.empty() ? name : found;
}

RestartOutcome restartServer(ServerControl& control)
{
    RestartOutcome outcome;
    outcome.script = control.scriptFileName(kServerStartScript, ".");
    outcome.ended = control.terminateProcessesByName(kServerExecutable, true);
    outcome.started = control.startScript(kServerStartScript, ".");
    return outcome;
}
