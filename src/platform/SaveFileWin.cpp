#include "platform/SaveFile.h"

#include "platform/WinSafeFileWriter.h"

bool saveFile(const std::string& path, const std::string& text, std::string& message)
{
    return WinSafeFileWriter().save(path, text, message);
}
