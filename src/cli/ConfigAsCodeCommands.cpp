// The configuration as code in quarvel-cfg: export and import of the JSON
// form, and get, set and remove by path.
#include <ostream>
#include <sstream>
#include <vector>

#include "cli/CfgCommand.h"
#include "cli/CommandStreams.h"
#include "cli/ConfigEdit.h"
#include "cli/FileDiff.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigJson.h"
#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/ConfigurationEditor.h"
#include "diff/UnifiedDiff.h"

namespace cfgtool {

namespace {

int exportJson(Invocation& invocation, const Options&, const Operands& operands)
{
    Configuration config;
    if (!load(invocation, config, operands[0], nullptr))
        return kError;
    invocation.out << jsonText(configurationToJson(config)) << '\n';
    invocation.out.flush();
    return invocation.out ? kOk : fail(invocation, "cannot write to standard output");
}

int importJson(Invocation& invocation, const Options& options, const Operands& operands)
{
    std::string bytes, message;
    if (!readInput(invocation, operands[0], bytes, message))
        return fail(invocation, message);
    Json json;
    if (!parseJson(bytes, json, message))
        return fail(invocation, displayName(operands[0]) + " is no JSON: " + message);
    Configuration config;
    ConfigurationEditor editor(config);
    if (!editor.importJson(json) || !editor.finish())
        return fail(invocation, editor.error());
    // A filter to standard output replaces no server's file.
    if (operands[1] != kStandardStream)
        if (const int refused = refuseFaults(invocation, options, config))
            return refused;
    return save(invocation, options, config, operands[1]);
}

int getValue(Invocation& invocation, const Options&, const Operands& operands)
{
    Configuration config;
    if (!load(invocation, config, operands[0], nullptr))
        return kError;
    std::string value;
    switch (valueAtPath(config, operands[1], value)) {
    case PathLookup::Found:
        invocation.out << value << '\n';
        return kOk;
    case PathLookup::NoRecord:
        invocation.err << kProgram << ": " << value << '\n';
        return kFault;
    case PathLookup::BadPath:
        break;
    }
    return fail(invocation, value);
}

// Applies a change to the file at path, all or nothing: nothing is written
// when a value is refused or no value changes. A file '-' is a filter from
// standard input to standard output.
int change(Invocation& invocation, const Options& options, const std::string& path,
           bool (*apply)(ConfigurationEditor&, const Operands&), const Operands& operands)
{
    ConfigEdit edit;
    std::string message;
    if (path == kStandardStream) {
        std::string bytes;
        if (!readInput(invocation, path, bytes, message))
            return fail(invocation, message);
        edit.openText(bytes);
    } else if (!edit.open(path, false, writePolicy(options), message)) {
        return fail(invocation, message);
    }
    ConfigurationEditor& editor = edit.editor();
    if (!apply(editor, operands) || !editor.finish())
        return fail(invocation, editor.error());
    const bool changed = edit.changed();
    if (options.dryRun || (path != kStandardStream && !changed)) {
        const std::string label = displayName(path);
        invocation.out << (changed
                               ? diffTexts(edit.oldText(), edit.newText(), label, label, configurationLines(false)).diff
                               : "unchanged\n");
    } else if (path == kStandardStream) {
        // A filter replaces no server's file.
        if (!formatConfiguration(edit.result(), writeTo(invocation.out)))
            return fail(invocation, "cannot write to standard output");
    } else if (const int refused = refuseFaults(invocation, options, edit.result(), &edit.faultsBefore())) {
        return refused;
    } else {
        std::string backup;
        if (!edit.save(message, backup, saveOptions(options)))
            return fail(invocation, message);
        invocation.out << message << '\n';
    }
    invocation.out.flush();
    return invocation.out ? kOk : fail(invocation, "cannot write to standard output");
}

// The ranges of the key table, as "Copies 1 to 1000, Port 0 to 65535, ...",
// integers first.
std::string rangesText()
{
    std::vector<std::string> integers, reals;
    const auto add = [&](const auto& def) {
        if (def.rule.accepted)
            integers.push_back(std::string(def.key) + " " + std::to_string(def.rule.accepted->low) + " to " +
                               std::to_string(def.rule.accepted->high));
        if (def.rule.acceptedReal) {
            std::ostringstream range;
            range << def.key << " " << def.rule.acceptedReal->low << " to " << def.rule.acceptedReal->high;
            reals.push_back(range.str());
        }
    };
    for (const SectionDef& section : fileSections()) {
        for (const auto& def : section.settingsKeys)
            add(def);
        for (const auto& def : section.layoutKeys)
            add(def);
    }
    for (const auto& def : paperKeys())
        add(def);
    const auto joined = [](const std::vector<std::string>& ranges) {
        std::string text;
        for (const std::string& range : ranges)
            text += (text.empty() ? "" : ", ") + range;
        return text;
    };
    return "an integer (" + joined(integers) + "), a number (" + joined(reals) + ")";
}

// Folds text into lines of at most width characters at its blanks.
std::string folded(const std::string& text, std::size_t width)
{
    std::istringstream words(text);
    std::string result, line;
    for (std::string word; words >> word;) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            result += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return result + line + "\n";
}

// The help of set, whose ranges come from the key table.
const char* setHelp()
{
    static const std::string help =
        folded("Sets each PATH (as for 'get') of FILE to its VALUE, all or nothing. A value is checked as the "
               "editor checks it: " +
                   rangesText() +
                   ", YES or NO (also TRUE/FALSE, 1/0), a word of its list (Priority LOW, MED, HIGH ...), BLACK, "
                   "WHITE or an integer for a density, a text that the file's code page can hold (Encoding=UTF-8 "
                   "changes it) and that reads back as given, without control characters. A record named by a key "
                   "that is not there is appended with a new record's defaults and that key.",
               78) +
        "\n"
        "When no value changes, prints 'unchanged' and writes nothing. Otherwise\n"
        "saves as the editor does: the old FILE is kept as a backup (.bak, .bk2,\n"
        "...). FILE '-' reads standard input and writes standard output.\n"
        "\n"
        "  --dry-run   print the unified diff of what a save would write instead\n"
        "\n"
        "Exit status: 0 saved or unchanged, 1 the change would give the\n"
        "configuration a fault that stops the server (FILE stays as it was), 2 a\n"
        "refused value or bad path (FILE stays as it was) or a file error.\n";
    return help.c_str();
}

int setValues(Invocation& invocation, const Options& options, const Operands& operands)
{
    return change(
        invocation, options, operands[0],
        [](ConfigurationEditor& editor, const Operands& words) {
            return editor.setPaths(Operands(words.begin() + 1, words.end()));
        },
        operands);
}

int removeRecords(Invocation& invocation, const Options& options, const Operands& operands)
{
    return change(
        invocation, options, operands[0],
        [](ConfigurationEditor& editor, const Operands& words) {
            for (auto path = words.begin() + 1; path != words.end(); ++path)
                if (!editor.removePath(*path))
                    return false;
            return true;
        },
        operands);
}

// Made on first use: the help of set reads the key tables.
std::span<const Command> commandTable()
{
    static const Command commands[] = {
        {.name = "export",
         .arguments = "IN",
         .summary = "print the configuration IN as one JSON object",
         .help = "Prints the configuration IN ('-' for standard input) as one JSON object:\n"
                 "every setting under its key name (\"Port\": 104), \"Printers\", \"Papers\" and\n"
                 "\"Headers\" as lists of objects with every field of their record, \"Layout\"\n"
                 "as an object and \"Encoding\", the code page of the file's texts. Yes/no\n"
                 "are true/false, numbers numbers, words words (\"MED\"), texts strings;\n"
                 "the keys come in the order of the file. 'import' writes it back:\n"
                 "export, then import writes what normalize writes.\n",
         .run = exportJson,
         .operands = 1},
        {.name = "import",
         .arguments = "JSON OUT",
         .summary = "write OUT from a JSON object in the form export prints",
         .help = "Writes the configuration OUT from the JSON object in JSON ('-' for standard\n"
                 "input), in the form 'export' prints. A field left out keeps the default of\n"
                 "a new configuration or record. An unknown field or a value of the wrong\n"
                 "type, or one the editor refuses, is an error that names the field and\n"
                 "what it wants; OUT is then left as it was. So is a configuration with a\n"
                 "fault that stops the server (exit status 1). An existing OUT is kept as a\n"
                 "backup (.bak, .bk2, ...); OUT '-' writes standard output.\n",
         .run = importJson,
         .operands = 2,
         .writes = true,
         .checksFaults = true},
        {.name = "get",
         .arguments = "FILE PATH",
         .summary = "print one value of FILE as the file writes it",
         .help = "Prints one value of FILE ('-' for standard input) as the file writes it\n"
                 "(YES, 14.17, MED; texts in UTF-8). PATH is a setting (Port), a field of the\n"
                 "layout (Layout.PageSize), the code page (Encoding), or a field of a record\n"
                 "named by its key:\n"
                 "  Printers[AETITLE].FIELD   Papers[NAME].FIELD   Headers[NAME].FIELD\n"
                 "as in Printers[LASER1].PrinterAddress or Papers[A4].SizeX.\n"
                 "\n"
                 "Exit status: 0 printed, 1 no record of that key, 2 a bad path or a file\n"
                 "error.\n",
         .run = getValue,
         .operands = 2},
        {.name = "set",
         .arguments = "[--dry-run] FILE PATH=VALUE...",
         .summary = "change values of FILE, all or nothing",
         .help = setHelp(),
         .run = setValues,
         .operands = 2,
         .moreOperands = true,
         .dryRun = true,
         .writes = true,
         .checksFaults = true},
        {.name = "remove",
         .arguments = "[--dry-run] FILE RECORD...",
         .summary = "remove printers, papers or header bitmaps from FILE",
         .help = "Removes each RECORD from FILE, all or nothing: Printers[AETITLE],\n"
                 "Papers[NAME] or Headers[NAME], every record of that key. A key that names\n"
                 "no record changes nothing; when nothing changes, prints 'unchanged' and\n"
                 "writes nothing. Otherwise saves as 'set' does.\n"
                 "\n"
                 "  --dry-run   print the unified diff of what a save would write instead\n"
                 "\n"
                 "Exit status: 0 saved or unchanged, 1 the change would give the\n"
                 "configuration a fault that stops the server (FILE stays as it was), 2 a bad\n"
                 "path (FILE stays as it was) or a file error.\n",
         .run = removeRecords,
         .operands = 2,
         .moreOperands = true,
         .dryRun = true,
         .writes = true,
         .checksFaults = true},
    };
    return commands;
}

} // namespace

std::span<const Command> configAsCodeCommands()
{
    return commandTable();
}

} // namespace cfgtool
