#pragma once

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "ScriptedInteraction.h"
#include "app/MainSheet.h"
#include "platform/ServerControl.h"

// A configuration the server can work with: one printer, one paper, the
// layout on it.
inline constexpr const char* kGoodFile = "[[[PRINTER]]]\n[[SETTINGS]]\n[Printer-1]\nPrinterAETitle = P\n"
                                         "PrinterAddress = 10.0.0.1\nPrinterQueue = lp\n"
                                         "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n[A4]\nSizeX = 595\nSizeY = 842\n"
                                         "[[[LAYOUTS]]]\n[[STANDARD]]\n[Defaults]\nPageSize = A4\n";

// Records the restart steps instead of ending processes.
class RecordingServer : public ServerControl {
  public:
    std::vector<std::string> calls;
    int terminateProcessesByName(const std::string& name, bool all) override;
    bool startScript(const std::string& name, const std::string& directory) override;
};

// A shown main window with scripted interaction and recording fakes; fails
// the test when a top-level window other than the sheet is left visible.
class SheetTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Start page -> "Manual Configuration" -> "New".
    void startNew();
    // Start page -> "Manual Configuration" -> "Load" of path.
    void startLoad(const QString& path);
    // "Save and Exit" on the sheet.
    void saveAndExit();
    Configuration& config() { return sheet->configuration(); }
    int activePage() const { return sheet->activeIndex(); }

    ScriptedInteraction ui;
    RecordingServer server;
    FakeDiagnostics diagnostics;
    std::unique_ptr<MainSheet> sheet;
};
