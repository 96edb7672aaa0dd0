#include "config/Configuration.h"

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/SafeFileWriter.h"

CConfiguration::~CConfiguration()
{
    Printers.RemoveAll();
    Papers.RemoveAll();
    Headers.RemoveAll();
}

bool CConfiguration::SaveToFile(const std::string& path, std::string& message) const
{
    // Written piece by piece: a large configuration is never held twice.
    return SafeFileWriter().Save(
        path, [this](const std::function<bool(std::string_view)>& write) { return FormatConfiguration(*this, write); },
        message);
}

bool CConfiguration::LoadFromFile(const std::string& path, std::string& message, ReaderFindings* findings)
{
    return ConfigReader(*this, findings).ReadFile(path, message);
}
