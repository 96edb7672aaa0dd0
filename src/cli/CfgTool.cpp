#include "cli/CfgTool.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <getopt.h>
#include <iostream>
#include <iterator>
#include <memory>
#include <span>
#include <sstream>

#include "cli/ConfigEdit.h"
#include "cli/FileDiff.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigJson.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"
#include "config/ConfigurationEditor.h"
#include "config/ReaderFindings.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "diff/UnifiedDiff.h"
#include "platform/FileErrors.h"
#include "platform/Folders.h"
#include "platform/RegularFile.h"
#ifndef _WIN32
#include "platform/SafeFileWriter.h"
#endif
#include "platform/ServerControl.h"
#ifdef QUARVEL_DICOM
#include "dicom/TestFilm.h"
#include "dicom/Verification.h"
#endif

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
    int timeoutSeconds = 10; // --timeout
    bool dryRun = false;
};

using Operands = std::vector<std::string>;

// One command: its word, its arguments as the usage shows them, a line for
// the overview and the text of its own --help.
struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
    const char* help;
    std::size_t operands; // at least this many
    bool json;            // takes --json
    int (*run)(Context&, const Options&, const Operands&);
    std::size_t optionalOperands = 0; // this many more may follow
    bool timeout = false;             // takes --timeout SECONDS
    bool dryRun = false;              // takes --dry-run
    bool moreOperands = false;        // takes further operands of the last kind
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

// The bytes of path, or of standard input for "-".
bool readInput(Context& c, const std::string& path, std::string& bytes, std::string& message)
{
    if (path == kStandardStream) {
        if (readAll(c.in, bytes))
            return true;
        message = "cannot read standard input";
        return false;
    }
    // The same reader as the configuration's: regular files only, and no
    // more than the file held when it was opened.
    return readRegularFile(path, message, 64 * 1024, [&bytes](std::string_view chunk) { bytes.append(chunk); });
}

bool load(Context& c, Configuration& config, const std::string& path, ReaderFindings* findings)
{
    std::string message;
    if (path != kStandardStream) {
#ifndef _WIN32
        if (const std::string note = interruptedSaveNote(path); !note.empty())
            c.err << kProgram << ": warning: " << note << '\n';
#endif
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

// A sink that writes to out, and refuses once out has failed.
TextSink writeTo(std::ostream& out)
{
    return [&out](std::string_view piece) {
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        return static_cast<bool>(out);
    };
}

// Saves to path with its backup and reports on standard output; to standard
// output the text alone, with no backup and no report in the data.
int save(Context& c, const Configuration& config, const std::string& path)
{
    if (path == kStandardStream) {
        const bool written = formatConfiguration(config, writeTo(c.out));
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

// The findings of the reader and the warnings about references, each in
// line order, visited as one run in line order (a linear merge: no sort over
// all of them). On the same line the reader's come first.
class CheckWarnings {
  public:
    CheckWarnings(const ReaderFindings& read, const std::vector<Finding>& references)
        : m_read(read), m_references(references)
    {
    }

    std::size_t size() const { return m_read.size() + m_references.size(); }
    void forEach(const std::function<void(const Finding&)>& visit) const { m_read.forEach(visit, m_references); }

  private:
    const ReaderFindings& m_read;
    const std::vector<Finding>& m_references;
};

void printCheckText(Context& c, const std::string& file, const ConfigurationFaults& faults,
                    const CheckWarnings& warnings)
{
    for (const std::string& line : faults.lines)
        c.out << withoutLineEnd(line) << '\n';
    warnings.forEach([&](const Finding& w) {
        c.out << file << ':' << w.line << ": warning: " << w.text << " [" << findingKindName(w.kind) << "]\n";
    });
    c.out << counted(faults.lines.size(), "fault", "faults") << ", " << counted(warnings.size(), "warning", "warnings")
          << '\n';
}

// The lines of a text, from the first on, for a reader that asks for them
// in order: only the line asked for last is held.
class ForwardLines {
  public:
    explicit ForwardLines(std::istream& in) : m_in(in) {}

    // Line number (from 1) without its line end; empty for 0 and past the end.
    const std::string& line(std::size_t number)
    {
        static const std::string none;
        if (number == 0 || number < m_number)
            return none;
        while (m_number < number && std::getline(m_in, m_line)) {
            ++m_number;
            if (!m_line.empty() && m_line.back() == '\r')
                m_line.pop_back();
        }
        return m_number < number ? none : m_line;
    }

  private:
    std::istream& m_in;
    std::string m_line;
    std::size_t m_number = 0;
};

// Indents every line of text but the first by indent spaces.
std::string indented(std::string text, std::size_t indent)
{
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1 + indent))
        text.insert(at + 1, indent, ' ');
    return text;
}

// The document as jsonText writes it, with the warnings written one at a
// time, so that a file with a warning on every line needs no document of
// them all in memory. Texts are bytes of any code page: valid UTF-8 passes,
// any other byte is taken as Latin-1, so that the document is always valid
// UTF-8. A warning's source is read from lines.
void printCheckJson(Context& c, const std::string& file, const ConfigurationFaults& faults,
                    const CheckWarnings& warnings, ForwardLines& lines)
{
    Json faultList = Json::array();
    for (std::size_t i = 0; i < faults.lines.size(); ++i)
        faultList.push_back(
            {{"text", utf8WithLatin1Fallback(withoutLineEnd(faults.lines[i]))}, {"page", faults.pages[i]}});
    c.out << "{\n  \"file\": " << jsonText(utf8WithLatin1Fallback(file))
          << ",\n  \"faults\": " << indented(jsonText(faultList), 2) << ",\n  \"warnings\": ";
    const char* separator = "[\n    ";
    warnings.forEach([&](const Finding& w) {
        const Json warning = {{"line", w.line},
                              {"kind", findingKindName(w.kind)},
                              {"text", utf8WithLatin1Fallback(w.text)},
                              {"source", utf8WithLatin1Fallback(w.source.empty() ? lines.line(w.line) : w.source)}};
        c.out << separator << indented(jsonText(warning), 4);
        separator = ",\n    ";
    });
    c.out << (warnings.size() == 0 ? "[]" : "\n  ]") << "\n}\n";
}

int check(Context& c, const Options& options, const Operands& operands)
{
    const std::string& path = operands[0];
    Configuration config;
    // The findings keep no source: the JSON document reads the lines again,
    // so that a file with a finding on every line needs no second copy.
    ReaderFindings findings;
    findings.keepSources(false);
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
    // One per record at most: put in line order on their own.
    std::vector<Finding> references = findReferenceWarnings(config, findings);
    sortByLine(references);

    const std::string file = displayName(path);
    const CheckWarnings warnings(findings, references);
    if (options.json) {
        std::istringstream text(bytes);
        std::ifstream read;
        if (path != kStandardStream)
            read.open(path, std::ios::binary);
        ForwardLines lines(path == kStandardStream ? static_cast<std::istream&>(text) : read);
        printCheckJson(c, file, faults, warnings, lines);
    } else {
        printCheckText(c, file, faults, warnings);
    }
    return faults.empty() ? kOk : kFault;
}

int diff(Context& c, const Options&, const Operands& operands)
{
    const std::string label = displayName(operands[0]);
    std::string message;
    if (operands[0] != kStandardStream) {
        const FileDiffOutcome outcome = diffWithSave(operands[0], label, writeTo(c.out), message);
        c.out.flush();
        if (outcome == FileDiffOutcome::Failed || !c.out)
            return fail(c, outcome == FileDiffOutcome::Failed ? message : "cannot write to standard output");
        return outcome == FileDiffOutcome::Same ? kOk : kFault;
    }
    // Standard input cannot be read again: it is held, with the saved text.
    std::string bytes;
    if (!readInput(c, operands[0], bytes, message))
        return fail(c, message);
    std::string saved;
    {
        // The record is not needed beside the two texts.
        Configuration config;
        ConfigReader(config).readText(bytes);
        saved = formatConfiguration(config);
    }
    if (saved == bytes)
        return kOk;
    c.out << unifiedDiff(bytes, saved, label, label);
    return kFault;
}

int exportJson(Context& c, const Options&, const Operands& operands)
{
    Configuration config;
    if (!load(c, config, operands[0], nullptr))
        return kError;
    c.out << jsonText(configurationToJson(config)) << '\n';
    c.out.flush();
    return c.out ? kOk : fail(c, "cannot write to standard output");
}

int importJson(Context& c, const Options&, const Operands& operands)
{
    std::string bytes, message;
    if (!readInput(c, operands[0], bytes, message))
        return fail(c, message);
    Json json;
    if (!parseJson(bytes, json, message))
        return fail(c, displayName(operands[0]) + " is no JSON: " + message);
    Configuration config;
    ConfigurationEditor editor(config);
    if (!editor.importJson(json) || !editor.finish())
        return fail(c, editor.error());
    return save(c, config, operands[1]);
}

int getValue(Context& c, const Options&, const Operands& operands)
{
    Configuration config;
    if (!load(c, config, operands[0], nullptr))
        return kError;
    std::string value;
    switch (valueAtPath(config, operands[1], value)) {
    case PathLookup::Found:
        c.out << value << '\n';
        return kOk;
    case PathLookup::NoRecord:
        c.err << kProgram << ": " << value << '\n';
        return kFault;
    case PathLookup::BadPath:
        break;
    }
    return fail(c, value);
}

// Applies a change to the file at path, all or nothing: nothing is written
// when a value is refused or no value changes. A file '-' is a filter from
// standard input to standard output.
int change(Context& c, const Options& options, const std::string& path,
           bool (*apply)(ConfigurationEditor&, const Operands&), const Operands& operands)
{
    ConfigEdit edit;
    std::string message;
    if (path == kStandardStream) {
        std::string bytes;
        if (!readInput(c, path, bytes, message))
            return fail(c, message);
        edit.openText(bytes);
    } else if (!edit.open(path, false, message)) {
        return fail(c, message);
    }
    ConfigurationEditor editor(edit.result());
    if (!apply(editor, operands) || !editor.finish())
        return fail(c, editor.error());
    const bool changed = edit.changed();
    if (options.dryRun || (path != kStandardStream && !changed)) {
        const std::string label = displayName(path);
        c.out << (changed ? unifiedDiff(edit.oldText(), edit.newText(), label, label) : "unchanged\n");
    } else if (path == kStandardStream) {
        c.out << edit.newText();
    } else {
        std::string backup;
        if (!edit.save(message, backup))
            return fail(c, message);
        c.out << message << '\n';
    }
    c.out.flush();
    return c.out ? kOk : fail(c, "cannot write to standard output");
}

int setValues(Context& c, const Options& options, const Operands& operands)
{
    return change(
        c, options, operands[0],
        [](ConfigurationEditor& editor, const Operands& words) {
            return editor.setPaths(Operands(words.begin() + 1, words.end()));
        },
        operands);
}

int removeRecords(Context& c, const Options& options, const Operands& operands)
{
    return change(
        c, options, operands[0],
        [](ConfigurationEditor& editor, const Operands& words) {
            for (auto path = words.begin() + 1; path != words.end(); ++path)
                if (!editor.removePath(*path))
                    return false;
            return true;
        },
        operands);
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

#ifdef QUARVEL_DICOM
DicomPeer dicomPeer(const Configuration& config, const Options& options, const Operands& operands, std::size_t host)
{
    DicomPeer peer;
    peer.port = config.Port;
    peer.timeoutSeconds = options.timeoutSeconds;
    if (operands.size() > host)
        peer.host = operands[host];
    return peer;
}

int echo(Context& c, const Options& options, const Operands& operands)
{
    Configuration config;
    if (!load(c, config, operands[0], nullptr))
        return kError;
    const std::vector<std::string> titles = verificationTitles(config);
    if (titles.empty())
        return fail(c, "echo: " + displayName(operands[0]) + " names no AE title");
    const DicomPeer peer = dicomPeer(config, options, operands, 1);
    DicomCancel cancel;
    bool all = true;
    verifyServer(peer, titles, cancel, [&](const EchoResult& result) {
        c.out << echoLine(result, peer) << '\n' << std::flush;
        all = all && result.outcome == DicomOutcome::Answered;
    });
    return all ? kOk : kFault;
}

int filmTest(Context& c, const Options& options, const Operands& operands)
{
    Configuration config;
    if (!load(c, config, operands[0], nullptr))
        return kError;
    const std::string& printer = operands[1];
    if (!config.Printers.exists(printer))
        return fail(c, "filmtest: '" + printer + "' is no printer of " + displayName(operands[0]));
    const DicomPeer peer = dicomPeer(config, options, operands, 2);
    DicomCancel cancel;
    const TestFilmReport report = sendTestFilm(peer, printer, config.Layout.Orientation != 0, cancel);
    for (const std::string& line : testFilmLines(report, printer, peer))
        c.out << line << '\n';
    return report.printed ? kOk : kFault;
}
#endif

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
     "incomplete-printer, ae-title, port.\n"
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
     "A file is not held in memory whole but read again as the diff needs it.\n"
     "Should it change meanwhile, the diff stops with an error: what it printed\n"
     "by then is right as far as it goes, but not complete.\n"
     "\n"
     "Exit status: 0 a save changes nothing, 1 it would, 2 a file or usage error.\n",
     1, false, diff},
    {"export", "IN", "print the configuration IN as one JSON object",
     "Prints the configuration IN ('-' for standard input) as one JSON object:\n"
     "every setting under its key name (\"Port\": 104), \"Printers\", \"Papers\" and\n"
     "\"Headers\" as lists of objects with every field of their record, \"Layout\"\n"
     "as an object and \"Encoding\", the code page of the file's texts. Yes/no\n"
     "are true/false, numbers numbers, words words (\"MED\"), texts strings;\n"
     "the keys come in the order of the file. 'import' writes it back:\n"
     "export, then import writes what normalize writes.\n",
     1, false, exportJson},
    {"import", "JSON OUT", "write OUT from a JSON object in the form export prints",
     "Writes the configuration OUT from the JSON object in JSON ('-' for standard\n"
     "input), in the form 'export' prints. A field left out keeps the default of\n"
     "a new configuration or record. An unknown field or a value of the wrong\n"
     "type, or one the editor refuses, is an error that names the field and\n"
     "what it wants; OUT is then left as it was. An existing OUT is kept as a\n"
     "backup (.bak, .bk2, ...); OUT '-' writes standard output.\n",
     2, false, importJson},
    {"get", "FILE PATH", "print one value of FILE as the file writes it",
     "Prints one value of FILE ('-' for standard input) as the file writes it\n"
     "(YES, 14.17, MED; texts in UTF-8). PATH is a setting (Port), a field of the\n"
     "layout (Layout.PageSize), the code page (Encoding), or a field of a record\n"
     "named by its key:\n"
     "  Printers[AETITLE].FIELD   Papers[NAME].FIELD   Headers[NAME].FIELD\n"
     "as in Printers[LASER1].PrinterAddress or Papers[A4].SizeX.\n"
     "\n"
     "Exit status: 0 printed, 1 no record of that key, 2 a bad path or a file\n"
     "error.\n",
     2, false, getValue},
    {"set", "[--dry-run] FILE PATH=VALUE...", "change values of FILE, all or nothing",
     "Sets each PATH (as for 'get') of FILE to its VALUE, all or nothing. A value\n"
     "is checked as the editor checks it: an integer (Copies 1 to 1000, Port 0 to\n"
     "65535), a number, YES or NO (also TRUE/FALSE, 1/0), a word of its list\n"
     "(Priority LOW, MED, HIGH ...), BLACK, WHITE or an integer for a density, a\n"
     "text that the file's code page can hold (Encoding=UTF-8 changes it) and\n"
     "that reads back as given. A record named by a key that is not there is\n"
     "appended with a new record's defaults and that key.\n"
     "\n"
     "When no value changes, prints 'unchanged' and writes nothing. Otherwise\n"
     "saves as the editor does: the old FILE is kept as a backup (.bak, .bk2,\n"
     "...). FILE '-' reads standard input and writes standard output.\n"
     "\n"
     "  --dry-run   print the unified diff of what a save would write instead\n"
     "\n"
     "Exit status: 0 saved or unchanged, 2 a refused value or bad path (FILE\n"
     "stays as it was) or a file error.\n",
     2, false, setValues, 0, false, true, true},
    {"remove", "[--dry-run] FILE RECORD...", "remove printers, papers or header bitmaps from FILE",
     "Removes each RECORD from FILE, all or nothing: Printers[AETITLE],\n"
     "Papers[NAME] or Headers[NAME], every record of that key. A key that names\n"
     "no record changes nothing; when nothing changes, prints 'unchanged' and\n"
     "writes nothing. Otherwise saves as 'set' does.\n"
     "\n"
     "  --dry-run   print the unified diff of what a save would write instead\n"
     "\n"
     "Exit status: 0 saved or unchanged, 2 a bad path (FILE stays as it was) or a\n"
     "file error.\n",
     2, false, removeRecords, 0, false, true, true},
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
#ifdef QUARVEL_DICOM
    {"echo", "[--timeout SECONDS] CONFIG [HOST]", "send a DICOM C-ECHO to the server's and each printer's AE title",
     "Associates to HOST (default 127.0.0.1) on the Port of CONFIG with the calling\n"
     "AE title QUARVEL and, in turn, the called AE title ServerAETitle and each\n"
     "printer's PrinterAETitle (each title once), sends a C-ECHO and releases.\n"
     "Prints one line per AE title: answered (with the round trip in ms),\n"
     "rejected (with the reason), aborted, no connection (with the reason) or\n"
     "timed out.\n"
     "\n"
     "  --timeout SECONDS   bound of the connection, the association and each\n"
     "                      response (default 10)\n"
     "\n"
     "Exit status: 0 every title answered, 1 one did not, 2 a file or usage error.\n",
     1, false, echo, 1, true},
    {"filmtest", "[--timeout SECONDS] CONFIG PRINTER_AE [HOST]",
     "print a DICOM test film through the server to a printer",
     "Associates to HOST (default 127.0.0.1) on the Port of CONFIG, called AE title\n"
     "PRINTER_AE (a printer of CONFIG), with the Basic Grayscale Print Management\n"
     "Meta SOP Class, and prints one test film: N-GET of the printer's status,\n"
     "N-CREATE of a film session (1 copy) and a film box (STANDARD\\1,1, the\n"
     "layout's orientation), N-SET of its image box with a 512 x 512 test image (a\n"
     "grey wedge of 16 steps and line patterns), N-ACTION print, N-DELETE,\n"
     "release. Prints each step with its DIMSE status and the outcome.\n"
     "\n"
     "  --timeout SECONDS   bound of the connection, the association and each\n"
     "                      response (default 10)\n"
     "\n"
     "Exit status: 0 the print action succeeded (success or warning), 1 it did not,\n"
     "2 a file or usage error, or PRINTER_AE is no printer of CONFIG.\n",
     2, false, filmTest, 1, true},
#endif
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
        << "Exit status: 0 success, 1 a fault found (check), a change to show (diff), no\n"
        << "record of that key (get) or a failed ping, test page, echo or test film, 2 a\n"
        << "file or usage error or a refused value (message on standard error).\n";
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

constexpr int kMaxTimeoutSeconds = 3600;

// A time-out in whole seconds, 1 to kMaxTimeoutSeconds, the text nothing else.
bool parseSeconds(const char* text, int& seconds)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno || value < 1 || value > kMaxTimeoutSeconds)
        return false;
    seconds = static_cast<int>(value);
    return true;
}

int runCommand(Context& c, const Command& command, std::span<const std::string> words)
{
    std::vector<option> accepted = {{"help", no_argument, nullptr, 'h'}};
    if (command.json)
        accepted.push_back({"json", no_argument, nullptr, 'j'});
    if (command.timeout)
        accepted.push_back({"timeout", required_argument, nullptr, 't'});
    if (command.dryRun)
        accepted.push_back({"dry-run", no_argument, nullptr, 'n'});
    accepted.push_back({});
    OptionScan scan(words);
    Options options;
    const std::string seeHelp = "; see '" + std::string(kProgram) + " " + command.name + " --help'";
    for (int option; (option = scan.next(":h", accepted.data())) != -1;) {
        switch (option) {
        case 'h':
            printCommandHelp(c.out, command);
            return kOk;
        case 'j':
            options.json = true;
            break;
        case 't':
            if (!parseSeconds(optarg, options.timeoutSeconds))
                return fail(c, std::string(command.name) + ": --timeout wants whole seconds from 1 to " +
                                   std::to_string(kMaxTimeoutSeconds) + ", not '" + optarg + "'" + seeHelp);
            break;
        case ':':
            return fail(c, std::string(command.name) + ": option '" + scan.offending() + "' wants a value" + seeHelp);
        case 'n':
            options.dryRun = true;
            break;
        default:
            return fail(c, std::string(command.name) + ": unknown option '" + scan.offending() + "'" + seeHelp);
        }
    }
    const Operands operands = scan.rest();
    if (operands.size() < command.operands)
        return fail(c, std::string(command.name) + ": missing " + operandNames(command) + seeHelp);
    const std::size_t most = command.operands + command.optionalOperands;
    if (operands.size() > most && !command.moreOperands)
        return fail(c, std::string(command.name) + ": unexpected argument '" + operands[most] + "'" + seeHelp);
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
        out << "Started " << outcome.script << " in " << where << ".\n";
        return kOk;
    }
    out << "Could not start " << outcome.script << " in " << where << ".\n";
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
    const int status = run(context, args);
    // A report that never arrived is no success.
    out.flush();
    if (!out) {
        if (status != kError) // a failed command has said why already
            err << kProgram << ": cannot write to standard output\n";
        return kError;
    }
    return status;
}
