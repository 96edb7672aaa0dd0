#pragma once

// Runs quarvel-cfg in-process, as the tests of its commands do.
#include <cstddef>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "cli/CfgTool.h"
#include "diagnostics/PrinterDiagnostics.h"

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

inline ToolRun tool(const std::vector<std::string>& args, const std::string& input = "")
{
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = runCfgTool(args, in, out, err, PrinterTestEnvironment::system());
    return {status, out.str(), err.str()};
}

inline ToolRun tool(const std::vector<std::string>& args, std::istream& in)
{
    std::ostringstream out, err;
    const int status = runCfgTool(args, in, out, err, PrinterTestEnvironment::system());
    return {status, out.str(), err.str()};
}

// A stream that never ends, as </dev/zero: zeros, as many as are read, from
// one buffer it hands out again and again, so that it holds none of them.
class EndlessZeros : public std::streambuf {
  public:
    EndlessZeros() { setg(m_zeros, m_zeros, m_zeros + sizeof m_zeros); }
    // How many bytes it has handed out, at most.
    std::size_t served() const { return m_refills * sizeof m_zeros; }

  protected:
    int_type underflow() override
    {
        ++m_refills;
        setg(m_zeros, m_zeros, m_zeros + sizeof m_zeros);
        return traits_type::to_int_type(m_zeros[0]);
    }

  private:
    char m_zeros[64 * 1024] = {};
    std::size_t m_refills = 1;
};

inline std::string error(const std::string& message)
{
    return "quarvel-cfg: " + message + "\n";
}

// The backups a save left beside dir's config.cfg.
inline std::vector<std::string> backups(const TempDir& dir)
{
    std::vector<std::string> found;
    for (const char* name : {"config.bak", "config.bk2"})
        if (fileExists(dir.file(name)))
            found.emplace_back(name);
    return found;
}
