#include "cli/CfgTool.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <getopt.h>
#include <iostream>
#include <iterator>
#include <memory>
#include <span>
#include <sstream>

#include "cli/JsonText.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"
#include "config/ReaderFindings.h"
#include "config/UnifiedDiff.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "platform/FileErrors.h"
#include "platform/Folders.h"
#include "platform/ServerControl.h"

namespace {

constexpr int kOk = 0;
constexpr int kFault = 1;
constexpr int kError = 2;

constexpr const char* kProgram = "quarvel-cfg";
constexpr const char* kStandardStream = "-";

struct Context {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    PrinterTestEnvironment& environment;
};

struct Options {
    bool json = false;
};

using Operands = std::vector<std::string>;

// One command: its word, its arguments as the usage shows them, a line for
// the overview and the text of its own --help.
struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
    const char* help;
    std::size_t operands; // exactly this many
    bool json;            // takes --json
    int (*run)(Context&, const Options&, const Operands&);
};

int fail(Context& c, const std::string& message)
{
    c.err << kProgram << ": " << message << '\n';
    return kError;
}

// --- Input and output ------------------------------------------------------

bool readAll(std::istream& in, std::string& bytes)
{
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The bytes of path, or of standard input for "-".
bool readInput(Context& c, const std::string& path, std::string& bytes, std::string& message)
{
    if (path == kStandardStream) {
        if (readAll(c.in, bytes))
            return true;
        message = "cannot read standard input";
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        message = fileErrorMessage(errno, path);
        return false;
    }
    char buffer[64 * 1024];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, got);
    if (std::ferror(file.get())) {
        message = fileErrorMessage(errno ? errno : EIO, path);
        return false;
    }
    return true;
}

bool load(Context& c, Configuration& config, const std::string& path, ReaderFindings* findings)
{
    std::string message;
    if (path != kStandardStream) {
        if (config.loadFromFile(path, message, findings))
            return true;
        fail(c, message);
        return false;
    }
    std::string bytes;
    if (!readInput(c, path, bytes, message)) {
        fail(c, message);
        return false;
    }
    ConfigReader(config, findings).readText(bytes);
    return true;
}

// Saves to path with its backup and reports on standard output; to standard
// output the text alone, with no backup and no report in the data.
int save(Context& c, const Configuration& config, const std::string& path)
{
    if (path == kStandardStream) {
        const bool written = formatConfiguration(config, [&c](std::string_view piece) {
            c.out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            return static_cast<bool>(c.out);
        });
        c.out.flush();
        return written && c.out ? kOk : fail(c, "cannot write to standard output");
    }
    std::string message;
    if (!config.saveToFile(path, message))
        return fail(c, message);
    c.out << message << '\n';
    return kOk;
}

std::string displayName(const std::string& path)
{
    return path == kStandardStream ? "<stdin>" : path;
}

std::string withoutLineEnd(std::string line)
{
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

std::string counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// --- Commands ----------------------------------------------------------------

int defaults(Context& c, const Options&, const Operands& operands)
{
    const Configuration config;
    return save(c, config, operands[0]);
}

int normalize(Context& c, const Options&, const Operands& operands)
{
    Configuration config;
    if (!load(c, config, operands[0], nullptr))
        return kError;
    return save(c, config, operands[1]);
}

void printCheckText(Context& c, const std::string& file, const ConfigurationFaults& faults,
                    const std::vector<Finding>& warnings)
{
    for (const std::string& line : faults.lines)
        c.out << withoutLineEnd(line) << '\n';
    for (const Finding& w : warnings)
        c.out << file << ':' << w.line << ": warning: " << w.text << " [" << findingKindName(w.kind) << "]\n";
    c.out << counted(faults.lines.size(), "fault", "faults") << ", " << counted(warnings.size(), "warning", "warnings")
          << '\n';
}

void printCheckJson(Context& c, const std::string& file, const ConfigurationFaults& faults,
                    const std::vector<Finding>& warnings)
{
    c.out << "{\n  \"file\": " << jsonString(file) << ",\n  \"faults\": [";
    for (std::size_t i = 0; i < faults.lines.size(); ++i)
        c.out << (i ? "," : "") << "\n    {\"text\": " << jsonString(withoutLineEnd(faults.lines[i]))
              << ", \"page\": " << faults.pages[i] << "}";
    c.out << (faults.lines.empty() ? "" : "\n  ") << "],\n  \"warnings\": [";
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        const Finding& w = warnings[i];
        c.out << (i ? "," : "") << "\n    {\"line\": " << w.line
              << ", \"kind\": " << jsonString(findingKindName(w.kind)) << ", \"text\": " << jsonString(w.text)
              << ", \"source\": " << jsonString(w.source) << "}";
    }
    c.out << (warnings.empty() ? "" : "\n  ") << "]\n}\n";
}

// Gives the warnings found in the record (not on a line as it was read) the
// text of their line. warnings are in line order.
void fillSources(std::istream& in, std::vector<Finding>& warnings)
{
    auto next = warnings.begin();
    std::size_t number = 0;
    for (std::string line; next != warnings.end() && std::getline(in, line);) {
        ++number;
        while (next != warnings.end() && next->line < number)
            ++next;
        for (; next != warnings.end() && next->line == number; ++next) {
            if (next->source.empty())
                next->source = !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
        }
    }
}

int check(Context& c, const Options& options, const Operands& operands)
{
    const std::string& path = operands[0];
    Configuration config;
    ReaderFindings findings;
    std::string bytes; // standard input, kept for the sources
    if (path == kStandardStream) {
        std::string message;
        if (!readInput(c, path, bytes, message))
            return fail(c, message);
        ConfigReader(config, &findings).readText(bytes);
    } else if (!load(c, config, path, &findings)) {
        return kError;
    }
    const ConfigurationFaults faults = findConfigurationFaults(config);

    std::vector<Finding> warnings = std::move(findings.items);
    const std::vector<Finding> references = findReferenceWarnings(config, findings);
    warnings.insert(warnings.end(), references.begin(), references.end());
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    if (!references.empty()) {
        if (path == kStandardStream) {
            std::istringstream in(bytes);
            fillSources(in, warnings);
        } else {
            std::ifstream in(path, std::ios::binary);
            fillSources(in, warnings);
        }
    }

    const std::string file = displayName(path);
    if (options.json)
        printCheckJson(c, file, faults, warnings);
    else
        printCheckText(c, file, faults, warnings);
    return faults.empty() ? kOk : kFault;
}

int diff(Context& c, const Options&, const Operands& operands)
{
    std::string bytes, message;
    if (!readInput(c, operands[0], bytes, message))
        return fail(c, message);
    Configuration config;
    ConfigReader(config).readText(bytes);
    const std::string saved = formatConfiguration(config);
    if (saved == bytes)
        return kOk;
    const std::string label = displayName(operands[0]);
    c.out << unifiedDiff(bytes, saved, label, label);
    return kFault;
}

class PrintingSink : public MessageSink {
  public:
    explicit PrintingSink(std::ostream& out) : m_out(out) {}
    void showMessage(const std::string& text, MessageIcon) override { m_out << text << '\n'; }

  private:
    std::ostream& m_out;
};

int ping(Context& c, const Options&, const Operands& operands)
{
    std::string report;
    const bool ok = PrinterDiagnostics(c.environment).ping(operands[0], report);
    c.out << report << '\n';
    return ok ? kOk : kFault;
}

int testPage(Context& c, const Options&, const Operands& operands)
{
    PrintingSink sink(c.out);
    return PrinterDiagnostics(c.environment).sendTestPage(operands[0], operands[1], sink) ? kOk : kFault;
}

int restart(Context& c, const Options&, const Operands&)
{
    ServerControl control;
    return restartCommand(control, c.out);
}

const Command kCommands[] = {
    {"defaults", "OUT", "write a configuration with every default to OUT",
     "Writes a configuration with every default to OUT; an existing OUT is kept\n"
     "as a backup (.bak, .bk2, ...). With OUT '-' the text goes to standard output.\n",
     1, false, defaults},
    {"normalize", "IN OUT", "load IN and save it to OUT in the editor's exact format",
     "Loads IN and saves it to OUT exactly as the editor would; an existing OUT is\n"
     "kept as a backup (.bak, .bk2, ...). IN '-' reads standard input, OUT '-'\n"
     "writes standard output (no backup; messages go to standard error).\n"
     "'quarvel-cfg diff IN' shows beforehand what this changes.\n",
     2, false, normalize},
    {"check", "[--json] IN", "print the faults that stop the server and the lines a save would lose",
     "Loads IN ('-' for standard input) and prints each fault that would keep the\n"
     "server from working, then one warning per line that a save would drop or\n"
     "change, and a reference the server cannot resolve, in the form\n"
     "  FILE:LINE: warning: TEXT [KIND]\n"
     "and last a count of faults and warnings. Kinds: unknown-key, unknown-section,\n"
     "not-a-line, comment, value-replaced, duplicate, missing-header,\n"
     "incomplete-printer, port.\n"
     "\n"
     "  --json   one JSON document instead: {\"file\", \"faults\": [{\"text\", \"page\"}],\n"
     "           \"warnings\": [{\"line\", \"kind\", \"text\", \"source\"}]}\n"
     "\n"
     "Exit status: 0 no fault (warnings alone do not fail), 1 a fault, 2 a file\n"
     "or usage error.\n",
     1, true, check},
    {"diff", "IN", "show what a save of IN would change, as a unified diff",
     "Prints the unified diff (3 lines of context) between IN ('-' for standard\n"
     "input) and what a save would write. Lines keep their CR LF ends, so that\n"
     "'patch IN' applies the diff to the file as it stands.\n"
     "\n"
     "Exit status: 0 a save changes nothing, 1 it would, 2 a file or usage error.\n",
     1, false, diff},
    {"ping", "ADDRESS", "send one ICMP echo to a printer and print the report",
     "Sends one ICMP echo request to ADDRESS and prints the report.\n"
     "Exit status: 0 answered, 1 no answer.\n",
     1, false, ping},
    {"testpage", "ADDRESS QUEUE", "send testpage.ps to a printer queue over LPD",
     "Sends testpage.ps (from the current directory, else the installed data\n"
     "folder, else beside the program) to QUEUE on ADDRESS over LPD, TCP port 515,\n"
     "after a ping; appends a line to testprint.log and prints each message.\n"
     "Exit status: 0 sent, 1 failed.\n",
     2, false, testPage},
    {"restart", "", "end the running print server and start ZELNOR.bat",
     "Ends every running print server (tcpsrv.exe, also under Wine) and starts\n"
     "ZELNOR.bat of the current directory (through Wine for a batch file), then\n"
     "prints how many server processes were ended and whether the script was\n"
     "started. Exit status: 0 started, 1 not started.\n",
     0, false, restart},
};

// --- Command line ---------------------------------------------------------------

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
    for (const Command& command : kCommands) {
        std::string words = std::string(command.name) + " " + command.arguments;
        out << "  " << words;
        if (words.size() < 22)
            out << std::string(22 - words.size(), ' ');
        else
            out << "\n" << std::string(24, ' ');
        out << command.summary << '\n';
    }
    out << "\n"
        << "Exit status: 0 success, 1 a fault found (check), a change to show (diff) or a\n"
        << "failed ping or test page, 2 a file or usage error (message on standard error).\n";
}

void printCommandHelp(std::ostream& out, const Command& command)
{
    out << "Usage: " << kProgram << " " << command.name << " " << command.arguments << "\n\n" << command.help;
}

const Command* findCommand(const std::string& name)
{
    for (const Command& command : kCommands)
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

int runCommand(Context& c, const Command& command, std::span<const std::string> words)
{
    const option withJson[] = {{"help", no_argument, nullptr, 'h'}, {"json", no_argument, nullptr, 'j'}, {}};
    const option plain[] = {{"help", no_argument, nullptr, 'h'}, {}};
    OptionScan scan(words);
    Options options;
    const std::string seeHelp = "; see '" + std::string(kProgram) + " " + command.name + " --help'";
    for (int option; (option = scan.next("h", command.json ? withJson : plain)) != -1;) {
        switch (option) {
        case 'h':
            printCommandHelp(c.out, command);
            return kOk;
        case 'j':
            options.json = true;
            break;
        default:
            return fail(c, std::string(command.name) + ": unknown option '" + scan.offending() + "'" + seeHelp);
        }
    }
    const Operands operands = scan.rest();
    if (operands.size() < command.operands)
        return fail(c, std::string(command.name) + ": missing " + operandNames(command) + seeHelp);
    if (operands.size() > command.operands)
        return fail(c,
                    std::string(command.name) + ": unexpected argument '" + operands[command.operands] + "'" + seeHelp);
    return command.run(c, options, operands);
}

int run(Context& c, const std::vector<std::string>& args)
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
            printUsage(c.out);
            return kOk;
        case 'V':
            c.out << kProgram << " " << QUARVEL_VERSION << '\n';
            return kOk;
        default:
            return fail(c, "unknown option '" + scan.offending() + "'" + seeHelp);
        }
    }
    const std::vector<std::string> rest = scan.rest();
    if (rest.empty()) {
        printUsage(c.err);
        return kError;
    }
    if (rest[0] == "help") {
        if (rest.size() == 1) {
            printUsage(c.out);
            return kOk;
        }
        const Command* command = findCommand(rest[1]);
        if (!command)
            return fail(c, "unknown command '" + rest[1] + "'" + seeHelp);
        printCommandHelp(c.out, *command);
        return kOk;
    }
    const Command* command = findCommand(rest[0]);
    if (!command)
        return fail(c, "unknown command '" + rest[0] + "'" + seeHelp);
    return runCommand(c, *command, rest);
}

} // namespace

int restartCommand(ServerControl& control, std::ostream& out)
{
    const RestartOutcome outcome = restartServer(control);
    out << "Ended " << outcome.ended << " server process" << (outcome.ended == 1 ? "" : "es") << " ("
        << kServerExecutable << ").\n";
    const std::string where = currentDirectory();
    if (outcome.started) {
        out << "Started " << kServerStartScript << " in " << where << ".\n";
        return kOk;
    }
    out << "Could not start " << kServerStartScript << " in " << where << ".\n";
    return kFault;
}

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
    Context context{in, out, err, environment};
    return run(context, args);
}
