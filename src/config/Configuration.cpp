#include "config/Configuration.h"

#include <cerrno>
#include <new>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/FileErrors.h"
#ifdef _WIN32
#include "config/WinSafeFileWriter.h"
#else
#include "config/SafeFileWriter.h"
#endif

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
#ifdef _WIN32
    return WinSafeFileWriter().save(path, text, message);
#else
    return SafeFileWriter().save(path, text, message);
#endif
}

bool Configuration::loadFromFile(const std::string& path, std::string& message, ReaderFindings* findings)
{
    return ConfigReader(*this, findings).readFile(path, message);
}
