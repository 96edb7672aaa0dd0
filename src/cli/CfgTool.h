#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class PrinterTestEnvironment;

// quarvel-cfg: the headless companion of the editor. args are the words after
// the program name. Exit statuses: 0 success, 1 a fault found (check), a
// change to show (diff) or a failed diagnostic, 2 a file or usage error.
// A FILE of "-" is standard input (in) or standard output (out).
int runCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment);

// quarvel-cfg restart: the editor's server restart in the current directory.
// Prints how many server processes were ended and whether the start script
// was started; 0 when it was, 1 otherwise.
class ServerControl;
int restartCommand(ServerControl& control, std::ostream& out);
int runCfgTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment);
