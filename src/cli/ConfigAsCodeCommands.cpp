// The configuration as code in quarvel-cfg: export and import of the JSON
// form, and get, set and remove by path.
#include <ostream>

#include "cli/CfgCommand.h"
#include "cli/CommandStreams.h"
#include "cli/ConfigEdit.h"
#include "config/ConfigJson.h"
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

int importJson(Invocation& invocation, const Options&, const Operands& operands)
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
    return save(invocation, config, operands[1]);
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
    } else if (!edit.open(path, false, message)) {
        return fail(invocation, message);
    }
    ConfigurationEditor editor(edit.result());
    if (!apply(editor, operands) || !editor.finish())
        return fail(invocation, editor.error());
    const bool changed = edit.changed();
    if (options.dryRun || (path != kStandardStream && !changed)) {
        const std::string label = displayName(path);
        invocation.out << (changed ? unifiedDiff(edit.oldText(), edit.newText(), label, label) : "unchanged\n");
    } else if (path == kStandardStream) {
        invocation.out << edit.newText();
    } else {
        std::string backup;
        if (!edit.save(message, backup))
            return fail(invocation, message);
        invocation.out << message << '\n';
    }
    invocation.out.flush();
    return invocation.out ? kOk : fail(invocation, "cannot write to standard output");
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

const Command kConfigAsCodeCommands[] = {
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
             "what it wants; OUT is then left as it was. An existing OUT is kept as a\n"
             "backup (.bak, .bk2, ...); OUT '-' writes standard output.\n",
     .run = importJson,
     .operands = 2},
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
     .help = "Sets each PATH (as for 'get') of FILE to its VALUE, all or nothing. A value\n"
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
     .run = setValues,
     .operands = 2,
     .moreOperands = true,
     .dryRun = true},
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
             "Exit status: 0 saved or unchanged, 2 a bad path (FILE stays as it was) or a\n"
             "file error.\n",
     .run = removeRecords,
     .operands = 2,
     .moreOperands = true,
     .dryRun = true},
};

} // namespace

std::span<const Command> configAsCodeCommands()
{
    return kConfigAsCodeCommands;
}

} // namespace cfgtool
