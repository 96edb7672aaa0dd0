// TestSupport.h for Windows, and the helpers of the Windows tests.
#include "WinTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "TestSupport.h"

namespace {

unsigned long long uniqueNumber()
{
    static unsigned long long counter = 0;
    return (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) ^ (::GetTickCount64() << 8) ^ ++counter;
}

} // namespace

TempDir::TempDir()
{
    char base[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH)
        throw std::runtime_error("no temporary folder");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = std::string(base) + "quarvel-test-" + std::to_string(uniqueNumber());
        if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("CreateDirectory failed");
}

TempDir::~TempDir()
{
    // Read-only files must become writable again to be removed.
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(m_path, ignored);
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool fileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string goldenPath(const std::string& name)
{
    return inFolder(inFolder(programFolder(), "golden"), name);
}

std::string programFolder()
{
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    return program.substr(0, program.find_last_of("\\/"));
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder + "\\" + name;
}

bool runningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void setEnvironment(const std::string& name, const std::string& value)
{
    // Both the runtime's copy (system() hands it on) and the process's.
    ::_putenv_s(name.c_str(), value.c_str());
    ::SetEnvironmentVariableA(name.c_str(), value.c_str());
}

StartedProgram::StartedProgram(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return;
    ::CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
}

StartedProgram::~StartedProgram()
{
    if (!m_process)
        return;
    if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_process, 99);
        ::WaitForSingleObject(m_process, 10000);
    }
    ::CloseHandle(m_process);
}

long long StartedProgram::exitCode(DWORD timeoutMs)
{
    if (!m_process || ::WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_process, &code);
    return code;
}

long long runProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs)
{
    StartedProgram run(program, arguments);
    return run.exitCode(timeoutMs);
}

std::string waitForFile(const std::string& path, DWORD timeoutMs)
{
    // Under Wine a renamed file can show before its writer has let go of
    // it, and then reads as nothing: wait for a whole line.
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    std::string text = readBytes(path);
    while ((text.empty() || text.back() != '\n') && ::GetTickCount64() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        text = readBytes(path);
    }
    return text;
}
