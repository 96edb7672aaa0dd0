#include "config/Configuration.h"

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#ifdef _WIN32
#include "config/WinSafeFileWriter.h"
#else
#include "config/SafeFileWriter.h"
#endif

CConfiguration::~CConfiguration()
{
    Printers.RemoveAll();
    Papers.RemoveAll();
    Headers.RemoveAll();
}

bool CConfiguration::SaveToFile(const std::string& path, std::string& message) const
{
#ifdef _WIN32
    return WinSafeFileWriter().Save(path, FormatConfiguration(*this), message);
#else
    return SafeFileWriter().Save(path, FormatConfiguration(*this), message);
#endif
}

bool CConfiguration::LoadFromFile(const std::string& path, std::string& message)
{
    return ConfigReader(*this).ReadFile(path, message);
}
