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
    return SafeFileWriter().Save(path, FormatConfiguration(*this), message);
}

bool CConfiguration::LoadFromFile(const std::string& path, std::string& message)
{
    return ConfigReader(*this).ReadFile(path, message);
}
