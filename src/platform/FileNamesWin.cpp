#include "platform/FileNames.h"

#include <cerrno>
#include <sys/stat.h>

#include "platform/WinText.h"

std::filesystem::path libraryPath(const std::string& name)
{
    std::wstring wide;
    if (!wideFromUtf8(name, wide))
        return std::filesystem::path();
    return std::filesystem::path(wide);
}

int pathStatus(const std::string& path)
{
    std::wstring wide;
    if (!wideFromUtf8(path, wide))
        return EINVAL;
    struct _stat64 st;
    return ::_wstat64(wide.c_str(), &st) == 0 ? 0 : errno;
}
