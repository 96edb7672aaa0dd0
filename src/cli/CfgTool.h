#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// quarvel-cfg: the headless companion of the editor. Exit statuses:
// 0 success, 1 a fault found (check) or a failed diagnostic, 2 a file or
// usage error.
int RunCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

class PrinterTestEnvironment;
int RunCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment);
