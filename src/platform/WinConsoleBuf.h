#pragma once

#include <streambuf>
#include <windows.h>

// A stream buffer that shows UTF-8 text on a Windows console through
// WriteConsoleW, so that every character appears as itself whatever the
// console's code page. A character whose bytes come in two writes is held
// back until it is whole; bytes that are no UTF-8 show as U+FFFD. Windows
// only.
class WinConsoleBuf : public std::streambuf {
  public:
    explicit WinConsoleBuf(HANDLE console);
    ~WinConsoleBuf() override;
    WinConsoleBuf(const WinConsoleBuf&) = delete;
    WinConsoleBuf& operator=(const WinConsoleBuf&) = delete;

  protected:
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    // Writes the whole characters of the buffer (every byte with all) and
    // keeps the rest at its start; false when the console refuses.
    bool writeOut(bool all);

    HANDLE m_console;
    char m_buffer[4096];
};
