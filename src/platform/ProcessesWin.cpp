// The process list, process ending and script start of Windows.
#include "platform/Processes.h"

#include <cerrno>
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include "platform/WinText.h"

namespace {

// Closes a handle on every path out of its scope.
class ScopedHandle {
  public:
    explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
    ~ScopedHandle()
    {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return m_handle; }

  private:
    HANDLE m_handle;
};

// The executable name of a snapshot entry in the system code page, whether
// the entry is the ANSI or the wide one.
[[maybe_unused]] std::string narrow(const char* text)
{
    return text;
}
[[maybe_unused]] std::string narrow(const wchar_t* text)
{
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(size - 1));
    return narrow;
}

} // namespace

bool ProcessTable::snapshot(std::vector<ProcessEntry>& entries)
{
    ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry))
        entries.push_back({static_cast<pid_t>(entry.th32ProcessID), narrow(entry.szExeFile), std::string(),
                           static_cast<pid_t>(entry.th32ParentProcessID)});
    return true;
}

int ProcessTable::kill(pid_t pid)
{
    ScopedHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid)));
    if (!process.get()) {
        // A process that ended since the snapshot was taken has no handle
        // to give; any other refusal means we may not end it.
        return ::GetLastError() == ERROR_INVALID_PARAMETER ? ESRCH : EPERM;
    }
    // Does not wait for the end: the process goes away on its own time.
    return ::TerminateProcess(process.get(), 0) ? 0 : EACCES;
}

ProcessTable& ProcessTable::system()
{
    static ProcessTable table;
    return table;
}

std::string findWine()
{
    // Windows runs batch files itself.
    return std::string();
}

std::string findScriptFile(const std::string& name, const std::string& directory)
{
    // The file system ignores case itself; a folder is no script. Names are
    // UTF-8, as every path of the program.
    std::string path = directory;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    std::wstring wide;
    if (!wideFromUtf8(path + name, wide))
        return std::string();
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? name : std::string();
}

bool startScript(const std::string& name, const std::string& directory, const std::string&)
{
    if (findScriptFile(name, directory).empty())
        return false;
    // The shell opens the file through the association of its type (a
    // batch file runs in the command interpreter) in a window shown
    // normally, and does not wait for it.
    std::string folder = directory;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    std::wstring wideName;
    std::wstring wideFolder;
    if (!wideFromUtf8(name, wideName) || !wideFromUtf8(folder, wideFolder))
        return false;
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", wideName.c_str(), nullptr,
                                             folder.empty() ? nullptr : wideFolder.c_str(), SW_SHOWNORMAL);
    // Values above 32 mean the shell started it.
    return reinterpret_cast<INT_PTR>(result) > 32;
}
