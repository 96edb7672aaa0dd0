// The titles a verification asks: read from the configuration before the
// DICOM checks are loaded, so no DCMTK here.
#include <algorithm>

#include "config/Configuration.h"
#include "dicom/Verification.h"

std::vector<std::string> verificationTitles(const Configuration& config)
{
    std::vector<std::string> titles;
    auto add = [&titles](const std::string& title) {
        if (!title.empty() && std::find(titles.begin(), titles.end(), title) == titles.end())
            titles.push_back(title);
    };
    add(config.ServerAETitle);
    for (const PrinterRecord& printer : config.Printers)
        add(printer.PrinterAETitle);
    return titles;
}
