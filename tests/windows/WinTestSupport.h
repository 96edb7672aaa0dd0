#pragma once

#include <string>
#include <windows.h>

// Helpers of the Windows tests. The build puts every program and the golden
// files into one folder, so a test finds its helpers beside itself.

// The folder of the running test program.
std::string programFolder();

// folder + "\" + name.
std::string inFolder(const std::string& folder, const std::string& name);

// True when the tests run under Wine rather than on Windows itself.
bool runningUnderWine();

// Sets an environment variable for this process and the programs it starts.
void setEnvironment(const std::string& name, const std::string& value);

// A program the test started itself. Ends it on destruction if it still runs.
class StartedProgram {
  public:
    // Starts program with the command line tail arguments.
    StartedProgram(const std::string& program, const std::string& arguments);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool started() const { return m_process != nullptr; }
    DWORD id() const { return m_id; }
    // The exit code once it has ended within timeoutMs; -1 while it runs.
    long long exitCode(DWORD timeoutMs);

  private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// Runs a program and waits for it; its exit code, -1 when it could not be
// started or did not end within timeoutMs (it is ended then).
long long runProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs = 60000);

// Waits up to timeoutMs for a file to appear with a whole line and returns
// its bytes.
std::string waitForFile(const std::string& path, DWORD timeoutMs = 20000);
