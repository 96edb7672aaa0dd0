#include "platform/PluginLibrary.h"

#include <windows.h>

#include "platform/WinText.h"

namespace {

// The system's text of a Windows error code, "Windows error N" without one.
std::string windowsErrorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? utf8FromWide(std::wstring_view(buffer, length)) : std::string();
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "Windows error " + std::to_string(code) : text;
}

} // namespace

bool pluginFileExists(const std::string& path)
{
    std::wstring widePath;
    if (!wideFromUtf8(path, widePath))
        return false;
    const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void* openPluginFunction(const std::string& path, const char* entry, std::string& error)
{
    std::wstring widePath;
    if (!wideFromUtf8(path, widePath)) {
        error = "the path is no UTF-8 text";
        return nullptr;
    }
    // By its full path; what it needs itself is looked for beside it first.
    HMODULE library = ::LoadLibraryExW(widePath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) {
        error = windowsErrorText(::GetLastError());
        // Some texts name the file as an insert ("Bad EXE format for %1").
        if (const std::size_t insert = error.find("%1"); insert != std::string::npos)
            error.replace(insert, 2, path);
        return nullptr;
    }
    FARPROC function = ::GetProcAddress(library, entry);
    if (!function) {
        error = std::string(entry) + " not found in " + path;
        ::FreeLibrary(library);
        return nullptr;
    }
    return reinterpret_cast<void*>(function);
}
