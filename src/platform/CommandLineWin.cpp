#include "platform/CommandLine.h"

#include <iostream>
#include <windows.h>

#include <shellapi.h>

#include "platform/WinConsoleBuf.h"
#include "platform/WinText.h"

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!words)
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8FromWide(words[i]));
    ::LocalFree(words);
    return arguments;
}

namespace {

// A console takes characters, not bytes: GetConsoleMode works on its handle
// only.
bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

} // namespace

ConsoleStreams::ConsoleStreams()
{
    if (const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE); isConsole(out)) {
        std::cout.flush();
        m_out = std::make_unique<WinConsoleBuf>(out);
        m_oldOut = std::cout.rdbuf(m_out.get());
    }
    if (const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE); isConsole(err)) {
        std::cerr.flush();
        m_err = std::make_unique<WinConsoleBuf>(err);
        m_oldErr = std::cerr.rdbuf(m_err.get());
    }
}

ConsoleStreams::~ConsoleStreams()
{
    if (m_out) {
        std::cout.flush();
        std::cout.rdbuf(m_oldOut);
    }
    if (m_err) {
        std::cerr.flush();
        std::cerr.rdbuf(m_oldErr);
    }
}
