#include "platform/RegularFile.h"

#include <algorithm>
#include <memory>
#include <windows.h>

#include "platform/ReadChunks.h"
#include "platform/WinFileErrors.h"
#include "platform/WinText.h"

// Only files on a disk are read: a pipe or a device may block or never end.
// A folder cannot be opened and is reported as access denied, as on Linux.
bool readRegularFile(const std::string& path, std::string& message, std::size_t chunkSize,
                     const std::function<void(std::string_view chunk)>& consume)
{
    std::wstring wide;
    if (path.empty() || !wideFromUtf8(path, wide)) {
        message = windowsFileErrorMessage(path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError(), path);
        return false;
    }
    const HANDLE file =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        message = windowsFileErrorMessage(::GetLastError(), path);
        return false;
    }
    const std::unique_ptr<void, decltype(&::CloseHandle)> closer(file, &::CloseHandle);
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        message = fileErrorMessage(FileErrorCause::NotRegularFile, path);
        return false;
    }
    // No more than the file held when it was opened: a file that grows
    // while it is read (a log, a process appending) still ends.
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) {
        message = windowsFileErrorMessage(::GetLastError(), path);
        return false;
    }
    auto left = static_cast<unsigned long long>(size.QuadPart);
    const auto read = [file, &left](char* buffer, std::size_t size) -> long long {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min<unsigned long long>({size, left, 1ull << 30}));
        if (wanted == 0)
            return 0;
        if (!::ReadFile(file, buffer, wanted, &got, nullptr))
            return -1;
        left -= got;
        return static_cast<long long>(got);
    };
    if (!readChunks(read, chunkSize == 0 ? 1 : chunkSize, consume)) {
        message = windowsFileErrorMessage(::GetLastError(), path);
        return false;
    }
    return true;
}
