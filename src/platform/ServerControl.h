#pragma once

#include <string>

// What the editor does to the print server after saving, behind an
// interface so that the windows can be tested without ending processes.
class ServerControl {
  public:
    virtual ~ServerControl() = default;
    virtual bool TerminateProcessesByName(const std::string& name, bool all);
    virtual bool StartScript(const std::string& name, const std::string& directory);
};

// The server's executable and its start script.
inline constexpr const char* kServerExecutable = "tcpsrv.exe";
inline constexpr const char* kServerStartScript = "ZELNOR.bat";

// Ends every running server process, then at once starts the start script in
// the current working directory. Nothing is examined or reported.
void RestartServer(ServerControl& control);
