#pragma once

#include <string>
#include <vector>

#include "ScriptedInteraction.h"
#include "diagnostics/PrinterTest.h"

// Scripted ping results; records every ping and every page sent, and
// looks for the test page in the given folder only (never in an installed
// copy of the program).
class FakeDiagnostics : public PrinterTestEnvironment {
  public:
    bool reachable = true;
    std::vector<std::string> pinged;
    std::vector<std::string> pagesSent; // "address queue page"
    std::string directory = "/nonexistent-quarvel-dir";
    bool Ping(const std::string& address, int timeoutMs, int& responseTimeMs) override;
    std::string CurrentDirectory() override { return directory; }
    std::string DataDirectory() override { return directory; }
    std::string ExecutableDirectory() override { return directory; }
    int SendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                 const std::string& logPath) override;
};

// Handlers for the common dialogs.
ScriptedInteraction::ModalHandler ClickButton(const char* buttonName);
ScriptedInteraction::ModalHandler RejectDialog();
