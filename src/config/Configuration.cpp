#include "config/Configuration.h"

#include <cerrno>
#include <new>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "platform/FileErrors.h"
#include "platform/SaveFile.h"

bool Configuration::saveToFile(const std::string& path, std::string& message) const
{
    // The text is built in memory first: running out of memory there fails
    // the save before the file is touched.
    std::string text;
    try {
        text = formatConfiguration(*this);
    } catch (const std::bad_alloc&) {
        message = fileErrorMessage(ENOMEM, path);
        return false;
    }
    return saveFile(path, text, message);
}

bool Configuration::loadFromFile(const std::string& path, std::string& message, ReaderFindings* findings)
{
    return ConfigReader(*this, findings).readFile(path, message);
}
