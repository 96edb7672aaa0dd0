#pragma once

#include <memory>
#include <streambuf>
#include <string>
#include <vector>

// The words after the program name, as the user typed them. On Windows they
// are read from the wide command line and given in UTF-8: argv holds them in
// the ANSI code page, which lacks most of the world's characters. Elsewhere
// argv as it is.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// While one lives, std::cout and std::cerr show the program's UTF-8 text on
// a console as its characters: on Windows through WriteConsoleW, whatever
// the console's code page. To a file or a pipe, and on other systems, the
// bytes go out as they are.
class ConsoleStreams {
  public:
    ConsoleStreams();
    ~ConsoleStreams();
    ConsoleStreams(const ConsoleStreams&) = delete;
    ConsoleStreams& operator=(const ConsoleStreams&) = delete;

  private:
    std::unique_ptr<std::streambuf> m_out;
    std::unique_ptr<std::streambuf> m_err;
    std::streambuf* m_oldOut = nullptr;
    std::streambuf* m_oldErr = nullptr;
};
