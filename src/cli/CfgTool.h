#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class PrinterTestEnvironment;

// quarvel-cfg: the headless companion of the editor. args are the words after
// the program name. Exit statuses: 0 success, 1 a fault found (check), a
// change to show (diff) or a failed diagnostic, 2 a file or usage error.
// A FILE of "-" is standard input (in) or standard output (out).
int RunCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment);
int RunCfgTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment);
