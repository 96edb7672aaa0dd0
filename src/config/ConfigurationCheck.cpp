#include "config/ConfigurationCheck.h"

#include "config/Configuration.h"

ConfigurationFaults findConfigurationFaults(const Configuration& config)
{
    ConfigurationFaults faults;
    auto fault = [&faults](const char* line, int page) {
        faults.lines.emplace_back(line);
        faults.pages.push_back(page);
        if (faults.firstErrorPage == 0)
            faults.firstErrorPage = page;
    };

    if (config.Printers.getCount() == 0)
        fault("No printer configured.\n", 1);
    if (config.Papers.getCount() == 0)
        fault("No paper size configured.\n", 2);
    if (!config.BasicColorMetaSOPClass && !config.BasicGrayscaleMetaSOPClass)
        fault("No print class (BasicColorMetaSOP or BasicGrayscaleMetaSOP) configured.\n", 3);
    if (config.ServerAETitle.empty())
        fault("No server AE title defined.\n", 3);
    if (config.Layout.PageSize.empty() || !config.Papers.exists(config.Layout.PageSize))
        fault("No valid paper size defined for [STANDARD] layout.\n", 4);
    return faults;
}
