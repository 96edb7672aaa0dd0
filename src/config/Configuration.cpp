#include "config/Configuration.h"

#include <cerrno>
#include <new>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/FileErrors.h"
#include "config/SafeFileWriter.h"

bool CConfiguration::SaveToFile(const std::string& path, std::string& message) const
{
    // The text is built in memory first: running out of memory there fails
    // the save before the file is touched.
    std::string text;
    try {
        text = FormatConfiguration(*this);
    } catch (const std::bad_alloc&) {
        message = FileErrorMessage(ENOMEM, path);
        return false;
    }
    return SafeFileWriter().Save(path, text, message);
}

bool CConfiguration::LoadFromFile(const std::string& path, std::string& message, ReaderFindings* findings)
{
    return ConfigReader(*this, findings).ReadFile(path, message);
}
