#include "app/ProgramOutput.h"

#include <QString>

#ifdef _WIN32
#include <windows.h>

namespace {

HANDLE consoleOrStream(std::FILE* stream)
{
    const DWORD which = stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE handle = ::GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE)
        return handle;
    // Started from a console without redirection: a desktop program gets no
    // handles, but may write to its parent's console.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED)
        return nullptr;
    handle = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

} // namespace

bool writeProgramOutput(std::FILE* stream, const QString& text)
{
    std::fflush(stream);
    HANDLE handle = consoleOrStream(stream);
    if (!handle)
        return false;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = text.toStdWString();
        return ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    }
    const QByteArray bytes = text.toUtf8();
    return ::WriteFile(handle, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
}

#else

bool writeProgramOutput(std::FILE* stream, const QString& text)
{
    return std::fputs(text.toLocal8Bit().constData(), stream) >= 0;
}

#endif
