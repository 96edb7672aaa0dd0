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
#ifdef _WIN32
    return WinSafeFileWriter().Save(path, text, message);
#else
    return SafeFileWriter().Save(path, text, message);
#endif
}

bool CConfiguration::LoadFromFile(const std::string& path, std::string& message, ReaderFindings* findings)
{
    return ConfigReader(*this, findings).ReadFile(path, message);
}
