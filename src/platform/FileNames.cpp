#include "platform/FileNames.h"

#include <cerrno>
#include <sys/stat.h>

std::filesystem::path libraryPath(const std::string& name)
{
    return std::filesystem::path(name);
}

int pathStatus(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? 0 : errno;
}
