#pragma once

#include <string>
#include <vector>

#include "ScriptedInteraction.h"
#include "diagnostics/PrinterTest.h"

// Scripted ping results; records every ping and command.
class FakeDiagnostics : public PrinterTestEnvironment {
  public:
    bool reachable = true;
    std::vector<std::string> pinged;
    std::vector<std::string> commands;
    std::string directory = "/nonexistent-quarvel-dir";
    bool Ping(const std::string& address, int timeoutMs, int& responseTimeMs) override;
    std::string CurrentDirectory() override { return directory; }
    int RunCommand(const std::string& commandLine) override;
};

// Handlers for the common dialogs.
ScriptedInteraction::ModalHandler ClickButton(const char* buttonName);
ScriptedInteraction::ModalHandler RejectDialog();
