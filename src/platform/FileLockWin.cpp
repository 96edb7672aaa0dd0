#include "platform/FileLock.h"

#include <windows.h>

#include "platform/FileLockWait.h"
#include "platform/SaveMessages.h"
#include "platform/WinFileErrors.h"
#include "platform/WinText.h"

namespace {

// Where the lock is the file itself, it is a byte this far in, where no
// configuration reaches, so that readers of the file are never blocked.
constexpr DWORD kFarOffsetHigh = 0x7FFFFFFF;

HANDLE openShared(const std::wstring& path, DWORD access, DWORD disposition, DWORD attributes)
{
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         disposition, attributes, nullptr);
}

} // namespace

FileLock::~FileLock()
{
    release();
}

void FileLock::release()
{
    if (m_handle != kNone)
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle)); // ends the lock
    m_handle = kNone;
}

bool FileLock::acquire(const std::string& path, std::chrono::milliseconds wait, std::string& message)
{
    release();
    std::wstring widePath, lockPath;
    if (!wideFromUtf8(path, widePath) || !wideFromUtf8(path + ".lock", lockPath)) {
        message = windowsFileErrorMessage(ERROR_INVALID_NAME, path);
        return false;
    }
    DWORD offsetHigh = 0;
    HANDLE handle = openShared(lockPath, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN);
    if (handle == INVALID_HANDLE_VALUE) {
        // No lock file here (a folder where only the file may be written):
        // the file itself, which such a save writes in place.
        handle = openShared(widePath, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (handle == INVALID_HANDLE_VALUE)
            return true; // nothing to lock: the save itself says what is wrong
        offsetHigh = kFarOffsetHigh;
    }
    LockPoll poll(wait);
    for (;;) {
        OVERLAPPED at{};
        at.OffsetHigh = offsetHigh;
        if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            m_handle = reinterpret_cast<std::intptr_t>(handle);
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            ::CloseHandle(handle);
            return true; // a file system without locks
        }
        if (!poll.pause())
            break;
    }
    ::CloseHandle(handle);
    message = lockBusyMessage(path, static_cast<int>((wait.count() + 999) / 1000));
    return false;
}
