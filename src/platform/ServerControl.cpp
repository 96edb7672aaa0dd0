#include "platform/ServerControl.h"

#include "platform/Processes.h"

int ServerControl::TerminateProcessesByName(const std::string& name, bool all)
{
    return ::TerminateProcessesByName(name, all);
}

bool ServerControl::StartScript(const std::string& name, const std::string& directory)
{
    return ::StartScript(name, directory);
}

RestartOutcome RestartServer(ServerControl& control)
{
    RestartOutcome outcome;
    outcome.ended = control.TerminateProcessesByName(kServerExecutable, true);
    outcome.started = control.StartScript(kServerStartScript, ".");
    return outcome;
}
