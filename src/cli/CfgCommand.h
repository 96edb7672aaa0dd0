#pragma once

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class PrinterTestEnvironment;
struct SaveOptions;
struct WritePolicy;

// What the commands of quarvel-cfg share: the streams and test environment
// of one run of the tool, the options of the command line, the exit
// statuses, and the table entry that describes a command.
namespace cfgtool {

constexpr int kOk = 0;
constexpr int kFault = 1;
constexpr int kError = 2;

constexpr const char* kProgram = "quarvel-cfg";
constexpr const char* kStandardStream = "-";

// One run of the tool: where it reads and writes, and the network and
// folders the printer diagnostics reach.
struct Invocation {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    PrinterTestEnvironment& environment;
};

struct Options {
    bool json = false;           // --json
    int timeoutSeconds = 10;     // --timeout
    bool dryRun = false;         // --dry-run
    bool ignoreLineEnds = false; // --ignore-line-endings
    bool verbose = false;        // --verbose: the DICOM toolkit's log from INFO on
    bool debug = false;          // --debug: the DICOM toolkit's log from DEBUG on
    // The writers' options (set, remove, import, normalize, defaults).
    int waitSeconds = 10;         // --wait: for another writer's lock
    bool discardRecovery = false; // --discard-recovery
    bool replaceForeign = false;  // --replace-foreign
    bool allowFaults = false;     // --allow-faults
    int keepBackups = 10;         // --keep-backups
};

using Operands = std::vector<std::string>;
using CommandFunction = int (*)(Invocation&, const Options&, const Operands&);

// One command: its word, its arguments as the usage shows them, a line for
// the overview, the text of its own --help, what runs it, the operands it
// takes and the options it accepts beside --help.
struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
    const char* help;
    CommandFunction run;
    std::size_t operands = 0;         // at least this many
    std::size_t optionalOperands = 0; // this many more may follow
    bool moreOperands = false;        // further operands of the last kind may follow
    bool json = false;                // --json
    bool timeout = false;             // --timeout SECONDS
    bool dryRun = false;              // --dry-run
    bool ignoreLineEnds = false;      // --ignore-line-endings
    bool dicomLog = false;            // --verbose and --debug
    bool writes = false;              // --wait, --discard-recovery, --replace-foreign, --keep-backups
    bool checksFaults = false;        // --allow-faults
};

// The options of a writer, as WriteGuard and the writer take them.
WritePolicy writePolicy(const Options& options);
SaveOptions saveOptions(const Options& options);

// The usage lines of the writers' options, for their commands' help.
extern const char* const kWriterOptionsHelp;
extern const char* const kAllowFaultsHelp;

// Prints "quarvel-cfg: message" on standard error; kError.
int fail(Invocation& invocation, const std::string& message);

// The commands, by group, in the order the overview lists them.
std::span<const Command> fileCommands();
std::span<const Command> configAsCodeCommands();
std::span<const Command> diagnosticCommands();
std::span<const Command> dicomCommands(); // empty without DICOM

} // namespace cfgtool
