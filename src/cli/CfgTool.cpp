// The command line of quarvel-cfg: the options before and after the command
// word (getopt_long), the overview and each command's --help, and the exit
// statuses. The commands themselves live in their groups' files.
#include "cli/CfgTool.h"

#include <cerrno>
#include <cstdlib>
#include <getopt.h>
#include <iostream>
#include <sstream>

#include "cli/CfgCommand.h"
#include "cli/CommandStreams.h"
#include "diagnostics/PrinterDiagnostics.h"

namespace cfgtool {

#ifndef QUARVEL_DICOM
std::span<const Command> dicomCommands()
{
    return {};
}
#endif

namespace {

// Every command, in the order of the overview.
const std::vector<Command>& commands()
{
    static const std::vector<Command> all = [] {
        std::vector<Command> list;
        for (const std::span<const Command> group :
             {fileCommands(), configAsCodeCommands(), diagnosticCommands(), dicomCommands()})
            list.insert(list.end(), group.begin(), group.end());
        return list;
    }();
    return all;
}

void printUsage(std::ostream& out)
{
    out << "Usage: " << kProgram << " COMMAND [ARGUMENTS]\n"
        << "       " << kProgram << " COMMAND --help\n"
        << "       " << kProgram << " --version\n"
        << "\n"
        << "Works on configuration files of the print server without opening the editor.\n"
        << "A file named '-' is standard input or standard output.\n"
        << "\n"
        << "Commands:\n";
    for (const Command& command : commands()) {
        std::string words = std::string(command.name) + " " + command.arguments;
        out << "  " << words;
        if (words.size() < 22)
            out << std::string(22 - words.size(), ' ');
        else
            out << "\n" << std::string(24, ' ');
        out << command.summary << '\n';
    }
    out << "\n"
        << "Exit status: 0 success, 1 a fault found (check), a change to show (diff), no\n"
        << "record of that key (get) or a failed ping, test page, echo or test film, 2 a\n"
        << "file or usage error or a refused value (message on standard error).\n";
}

void printCommandHelp(std::ostream& out, const Command& command)
{
    out << "Usage: " << kProgram << " " << command.name << " " << command.arguments << "\n\n" << command.help;
    if (command.writes)
        out << "\nAs every writer, it waits for another program that is changing the file, and\n"
               "refuses a file that an interrupted save left or that holds no configuration:\n"
            << (command.checksFaults ? kAllowFaultsHelp : "") << kWriterOptionsHelp;
}

const Command* findCommand(const std::string& name)
{
    for (const Command& command : commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

// getopt_long over words, with words[0] standing for the program. It keeps
// its place in globals: optind = 0 starts it afresh on every call.
class OptionScan {
  public:
    explicit OptionScan(std::span<const std::string> words)
    {
        for (const std::string& word : words)
            m_storage.push_back(word);
        for (std::string& word : m_storage)
            m_argv.push_back(word.data());
        m_argv.push_back(nullptr);
        optind = 0;
        opterr = 0;
    }

    int next(const char* shortOptions, const option* longOptions)
    {
        return getopt_long(static_cast<int>(m_storage.size()), m_argv.data(), shortOptions, longOptions, nullptr);
    }

    // The option getopt stopped at, as written.
    std::string offending() const
    {
        if (optopt && optopt != '?' && optind > 0 && m_argv[optind - 1][0] == '-' && m_argv[optind - 1][1] != '-')
            return std::string("-") + static_cast<char>(optopt);
        return optind > 0 ? m_argv[static_cast<std::size_t>(optind - 1)] : "";
    }

    std::vector<std::string> rest() const
    {
        std::vector<std::string> rest;
        for (std::size_t i = static_cast<std::size_t>(optind); i < m_storage.size(); ++i)
            rest.emplace_back(m_argv[i]);
        return rest;
    }

  private:
    std::vector<std::string> m_storage;
    std::vector<char*> m_argv;
};

// The operands of a command's arguments, without its options: "IN" of
// "[--json] IN".
std::string operandNames(const Command& command)
{
    std::istringstream words(command.arguments);
    std::string names;
    for (std::string word; words >> word;)
        if (word.front() != '[')
            names += (names.empty() ? "" : " ") + word;
    return names;
}

constexpr int kMaxTimeoutSeconds = 3600;

constexpr int kMaxKeptBackups = 1000;

// A whole number from low to high, the text nothing else.
bool parseWhole(const char* text, int low, int high, int& number)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno || value < low || value > high)
        return false;
    number = static_cast<int>(value);
    return true;
}

int runCommand(Invocation& invocation, const Command& command, std::span<const std::string> words)
{
    std::vector<option> accepted = {{"help", no_argument, nullptr, 'h'}};
    if (command.json)
        accepted.push_back({"json", no_argument, nullptr, 'j'});
    if (command.timeout)
        accepted.push_back({"timeout", required_argument, nullptr, 't'});
    if (command.dryRun)
        accepted.push_back({"dry-run", no_argument, nullptr, 'n'});
    if (command.ignoreLineEnds)
        accepted.push_back({"ignore-line-endings", no_argument, nullptr, 'L'});
    if (command.writes) {
        accepted.push_back({"wait", required_argument, nullptr, 'w'});
        accepted.push_back({"discard-recovery", no_argument, nullptr, 'R'});
        accepted.push_back({"replace-foreign", no_argument, nullptr, 'F'});
        accepted.push_back({"keep-backups", required_argument, nullptr, 'k'});
    }
    if (command.checksFaults)
        accepted.push_back({"allow-faults", no_argument, nullptr, 'A'});
    if (command.dicomLog) {
        accepted.push_back({"verbose", no_argument, nullptr, 'v'});
        accepted.push_back({"debug", no_argument, nullptr, 'd'});
    }
    accepted.push_back({});
    // Short options: -h everywhere, -v and -d where --verbose and --debug are.
    const char* shortOptions = command.dicomLog ? ":hvd" : ":h";
    OptionScan scan(words);
    Options options;
    const std::string seeHelp = "; see '" + std::string(kProgram) + " " + command.name + " --help'";
    for (int option; (option = scan.next(shortOptions, accepted.data())) != -1;) {
        switch (option) {
        case 'h':
            printCommandHelp(invocation.out, command);
            return kOk;
        case 'j':
            options.json = true;
            break;
        case 't':
            if (!parseWhole(optarg, 1, kMaxTimeoutSeconds, options.timeoutSeconds))
                return fail(invocation, std::string(command.name) + ": --timeout wants whole seconds from 1 to " +
                                            std::to_string(kMaxTimeoutSeconds) + ", not '" + optarg + "'" + seeHelp);
            break;
        case 'w':
            if (!parseWhole(optarg, 0, kMaxTimeoutSeconds, options.waitSeconds))
                return fail(invocation, std::string(command.name) + ": --wait wants whole seconds from 0 to " +
                                            std::to_string(kMaxTimeoutSeconds) + ", not '" + optarg + "'" + seeHelp);
            break;
        case 'k':
            if (!parseWhole(optarg, 0, kMaxKeptBackups, options.keepBackups))
                return fail(invocation, std::string(command.name) + ": --keep-backups wants a number from 0 to " +
                                            std::to_string(kMaxKeptBackups) + ", not '" + optarg + "'" + seeHelp);
            break;
        case 'R':
            options.discardRecovery = true;
            break;
        case 'F':
            options.replaceForeign = true;
            break;
        case 'A':
            options.allowFaults = true;
            break;
        case ':':
            return fail(invocation,
                        std::string(command.name) + ": option '" + scan.offending() + "' wants a value" + seeHelp);
        case 'n':
            options.dryRun = true;
            break;
        case 'L':
            options.ignoreLineEnds = true;
            break;
        case 'v':
            options.verbose = true;
            break;
        case 'd':
            options.debug = true;
            break;
        default:
            return fail(invocation,
                        std::string(command.name) + ": unknown option '" + scan.offending() + "'" + seeHelp);
        }
    }
    const Operands operands = scan.rest();
    if (operands.size() < command.operands)
        return fail(invocation, std::string(command.name) + ": missing " + operandNames(command) + seeHelp);
    const std::size_t most = command.operands + command.optionalOperands;
    if (operands.size() > most && !command.moreOperands)
        return fail(invocation, std::string(command.name) + ": unexpected argument '" + operands[most] + "'" + seeHelp);
    return command.run(invocation, options, operands);
}

int run(Invocation& invocation, const std::vector<std::string>& args)
{
    std::vector<std::string> words{kProgram};
    words.insert(words.end(), args.begin(), args.end());
    const option global[] = {{"help", no_argument, nullptr, 'h'}, {"version", no_argument, nullptr, 'V'}, {}};
    const std::string seeHelp = "; see '" + std::string(kProgram) + " --help'";

    // '+': the options before the command word only.
    OptionScan scan(words);
    for (int option; (option = scan.next("+h", global)) != -1;) {
        switch (option) {
        case 'h':
            printUsage(invocation.out);
            return kOk;
        case 'V':
            invocation.out << kProgram << " " << QUARVEL_VERSION << '\n';
            return kOk;
        default:
            return fail(invocation, "unknown option '" + scan.offending() + "'" + seeHelp);
        }
    }
    const std::vector<std::string> rest = scan.rest();
    if (rest.empty()) {
        printUsage(invocation.err);
        return kError;
    }
    if (rest[0] == "help") {
        if (rest.size() == 1) {
            printUsage(invocation.out);
            return kOk;
        }
        const Command* command = findCommand(rest[1]);
        if (!command)
            return fail(invocation, "unknown command '" + rest[1] + "'" + seeHelp);
        printCommandHelp(invocation.out, *command);
        return kOk;
    }
    const Command* command = findCommand(rest[0]);
    if (!command)
        return fail(invocation, "unknown command '" + rest[0] + "'" + seeHelp);
    return runCommand(invocation, *command, rest);
}

} // namespace

} // namespace cfgtool

int runCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return runCfgTool(args, std::cin, out, err, PrinterTestEnvironment::system());
}

int runCfgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment)
{
    return runCfgTool(args, std::cin, out, err, environment);
}

int runCfgTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
               PrinterTestEnvironment& environment)
{
    cfgtool::Invocation invocation{in, out, err, environment};
    const int status = cfgtool::run(invocation, args);
    // A report that never arrived is no success.
    out.flush();
    if (!out) {
        if (status != cfgtool::kError) // a failed command has said why already
            err << cfgtool::kProgram << ": cannot write to standard output\n";
        return cfgtool::kError;
    }
    return status;
}
