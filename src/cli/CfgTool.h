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

// quarvel-cfg restart: the editor's server restart in the current directory.
// Prints how many server processes were ended and whether the start script
// was started; 0 when it was, 1 otherwise.
class ServerControl;
int RestartCommand(ServerControl& control, std::ostream& out);
