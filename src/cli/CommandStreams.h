#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CfgCommand.h"
#include "diff/TextPieces.h"

class Configuration;
class WriteGuard;
struct ReaderFindings;

// How the commands of quarvel-cfg read and write configurations: a file, or
// standard input and output for the file name "-".
namespace cfgtool {

// The bytes of path, or of standard input for "-".
bool readInput(Invocation& invocation, const std::string& path, std::string& bytes, std::string& message);

// Loads path ("-": standard input) into config, with the findings of the
// reader when findings is given; false after saying why on standard error.
bool load(Invocation& invocation, Configuration& config, const std::string& path, ReaderFindings* findings);

// A sink that writes to out, and refuses once out has failed.
TextSink writeTo(std::ostream& out);

// Saves to path with its backup and reports on standard output; to standard
// output the text alone, with no backup and no report in the data. A file is
// guarded for the save (WriteGuard) unless the caller guards it already.
int save(Invocation& invocation, const Options& options, const Configuration& config, const std::string& path,
         WriteGuard* guard = nullptr);

// With faults (given the fault lines it had before, those it did not have)
// and without --allow-faults, says so on standard error, with the faults,
// and gives kFault; else kOk.
int refuseFaults(Invocation& invocation, const Options& options, const Configuration& config,
                 const std::vector<std::string>* had = nullptr);

// path as messages and diffs name it: "<stdin>" for "-".
std::string displayName(const std::string& path);

} // namespace cfgtool
