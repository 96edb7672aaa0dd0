#include "config/Configuration.h"

#include <functional>
#include <string_view>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "platform/SaveFile.h"

bool Configuration::saveToFile(const std::string& path, std::string& message) const
{
    return saveToFile(path, message, SaveOptions());
}

bool Configuration::saveToFile(const std::string& path, std::string& message, const SaveOptions& options) const
{
    // The text goes to the file as it is formatted, a piece at a time, so
    // that a large configuration is never held twice.
    return saveFile(
        path, [this](const std::function<bool(std::string_view)>& write) { return formatConfiguration(*this, write); },
        message, options);
}

bool Configuration::loadFromFile(const std::string& path, std::string& message, ReaderFindings* findings)
{
    return ConfigReader(*this, findings).readFile(path, message);
}
