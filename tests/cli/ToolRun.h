#pragma once

// Runs quarvel-cfg in-process, as the tests of its commands do.
#include <sstream>
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
