#pragma once

#include <string>
#include <vector>

#include "ScriptedInteraction.h"
#include "diagnostics/PrinterDiagnostics.h"

// Scripted ping results; records every ping and every page sent, and
// looks for the test page in the given folder only (never in an installed
// copy of the program).
class FakeDiagnostics : public PrinterTestEnvironment {
  public:
    bool reachable = true;
    std::vector<std::string> pinged;
    std::vector<std::string> pagesSent; // "address queue page"
    std::string directory = "/nonexistent-quarvel-dir";
    bool ping(const std::string& address, int timeoutMs, int& responseTimeMs) override;
    std::string currentDirectory() override { return directory; }
    std::string dataDirectory() override { return directory; }
    std::string executableDirectory() override { return directory; }
    int sendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                 const std::string& logPath) override;
};

// Handlers for the common dialogs.
ScriptedInteraction::ModalHandler clickButton(const char* buttonName);
ScriptedInteraction::ModalHandler rejectDialog();
