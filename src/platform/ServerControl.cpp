#include "platform/ServerControl.h"

#include "platform/Processes.h"

bool ServerControl::TerminateProcessesByName(const std::string& name, bool all)
{
    return ::TerminateProcessesByName(name, all);
}

bool ServerControl::StartScript(const std::string& name, const std::string& directory)
{
    return ::StartScript(name, directory);
}

void RestartServer(ServerControl& control)
{
    control.TerminateProcessesByName(kServerExecutable, true);
    control.StartScript(kServerStartScript, ".");
}
