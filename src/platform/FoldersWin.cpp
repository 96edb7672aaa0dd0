#include "platform/Folders.h"

#include <windows.h>

#include "platform/WinText.h"

std::string currentDirectory()
{
    // The system's query in UTF-8, as every path of the program, with the
    // classic path limit; empty when the directory does not fit.
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return utf8FromWide(std::wstring_view(buffer, length));
}

std::string executableDirectory()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    const std::string program = utf8FromWide(std::wstring_view(buffer, length));
    const std::size_t separator = program.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : program.substr(0, separator);
}
