#pragma once

#include <string>

class Configuration;

// The wizard's answers, written by its pages on each accepted "Next".
struct WizardResult {
    std::string ConfigurationName;
    std::string PrinterDescription;
    std::string PrinterAETitle;
    std::string PrinterAddress;
    std::string PrinterQueue;
    bool ColorPrinter = true;
    std::string PaperName;
    int PaperFormat = -1;
    int Orientation = 0;
    std::string BorderDensity;
    std::string EmptyImageDensity;
    double ImageDistance = 14.17;
    bool Trim = false;
    std::string ServerName;
    bool GrayscaleClass = true;
    bool ColorClass = true;
    int Port = 104;
};

// The summary of page 5: what has to be set on the print clients.
std::string buildWizardSummary(const WizardResult& result);

// Copies the answers into the configuration: a new printer, a new paper
// from the standard table, the server and layout settings. Adds to what is
// there; clears nothing.
void applyWizardResult(const WizardResult& result, Configuration& config);
