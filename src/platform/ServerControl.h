#pragma once

#include <string>

// What the editor does to the print server after saving, behind an
// interface so that the windows can be tested without ending processes.
class ServerControl {
  public:
    virtual ~ServerControl() = default;
    // How many processes were ended; see ::terminateProcessesByName.
    virtual int terminateProcessesByName(const std::string& name, bool all);
    // True when the script was started; see ::startScript.
    virtual bool startScript(const std::string& name, const std::string& directory);
    // The file name the script is started under (its case as found); the
    // name itself when there is no such file. See ::findScriptFile.
    virtual std::string scriptFileName(const std::string& name, const std::string& directory);
};

// The server's executable and its start script.
inline constexpr const char* kServerExecutable = "tcpsrv.exe";
inline constexpr const char* kServerStartScript = "ZELNOR.bat";

struct RestartOutcome {
    int ended = 0;        // server processes ended
    bool started = false; // the start script was started
    std::string script;   // the start script's file name, as found
};

// Ends every running server process, then at once starts the start script in
// the current working directory. The editor reports nothing of it; the
// companion prints the outcome.
RestartOutcome restartServer(ServerControl& control);
