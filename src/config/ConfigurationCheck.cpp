#include "config/ConfigurationCheck.h"

#include "config/Configuration.h"

std::string aeTitleProblem(const std::string& title)
{
    constexpr std::size_t kMaxLength = 16;
    const std::string named = "AE title '" + title + "'";
    if (title.size() > kMaxLength)
        return named + " has " + std::to_string(title.size()) + " characters; DICOM allows " +
               std::to_string(kMaxLength);
    if (title.find('\\') != std::string::npos)
        return named + " holds a backslash; DICOM allows none";
    for (const char c : title)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return named + " holds a control character; DICOM allows none";
    if (title.find_first_not_of(' ') == std::string::npos)
        return title.empty() ? "AE title is empty; DICOM needs at least one character"
                             : named + " is all spaces; DICOM needs another character";
    return {};
}

ConfigurationFaults findConfigurationFaults(const Configuration& config)
{
    ConfigurationFaults faults;
    auto fault = [&faults](const char* line, int page) {
        faults.lines.emplace_back(line);
        faults.pages.push_back(page);
        if (faults.firstErrorPage == 0)
            faults.firstErrorPage = page;
    };

    if (config.Printers.size() == 0)
        fault("No printer configured.\n", 1);
    if (config.Papers.size() == 0)
        fault("No paper size configured.\n", 2);
    if (!config.BasicColorMetaSOPClass && !config.BasicGrayscaleMetaSOPClass)
        fault("No print class (BasicColorMetaSOP or BasicGrayscaleMetaSOP) configured.\n", 3);
    if (config.ServerAETitle.empty())
        fault("No server AE title defined.\n", 3);
    if (config.Layout.PageSize.empty() || !config.Papers.exists(config.Layout.PageSize))
        fault("No valid paper size defined for [STANDARD] layout.\n", 4);
    return faults;
}
