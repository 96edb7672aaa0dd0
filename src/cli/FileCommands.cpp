// The file commands of quarvel-cfg: defaults, normalize, check and diff.
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/CfgCommand.h"
#include "cli/CheckReport.h"
#include "cli/CommandStreams.h"
#include "cli/FileDiff.h"
#include "cli/WriteGuard.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"
#include "config/ReaderFindings.h"
#include "diff/UnifiedDiff.h"
#include "platform/FileNames.h"

namespace cfgtool {

int checkConfiguration(Invocation& invocation, const std::string& path, bool json, std::size_t keptFindings)
{
    std::string bytes; // standard input, kept for the sources and a second reading
    if (path == kStandardStream) {
        std::string message;
        if (!readInput(invocation, path, bytes, message))
            return fail(invocation, message);
    }
    const auto read = [&](Configuration& config, ReaderFindings& findings) {
        if (path != kStandardStream)
            return load(invocation, config, path, &findings);
        ConfigReader(config, &findings).readText(bytes);
        return true;
    };

    // The first reading makes the record, its faults and the warnings about
    // it, and keeps the reader's findings, up to keptFindings bytes of them.
    ConfigurationFaults faults;
    std::vector<Finding> references;
    auto findings = std::make_unique<ReaderFindings>();
    // The findings keep no source: the JSON document reads the lines again,
    // so that a file with a finding on every line needs no second copy.
    findings->keepSources(false);
    findings->keepAtMost(keptFindings);
    {
        Configuration config;
        if (!read(config, *findings))
            return kError;
        faults = findConfigurationFaults(config);
        // One per record at most: put in line order on their own.
        references = findReferenceWarnings(config, *findings);
        sortByLine(references);
    }

    // A file with more findings is read a second time, and its findings go
    // into the report as they are made, with the others merged in.
    bool readAgain = true;
    CheckWarnings warnings([&](const CheckWarnings::Visit& visit) {
        if (!findings->overflowed()) {
            findings->forEach(visit, references);
            return;
        }
        std::vector<Finding> also;
        Finding finding;
        for (FindingList::Reader end(findings->fileEnd); end.next(finding);)
            also.push_back(finding);
        also.insert(also.end(), references.begin(), references.end());
        findings.reset(); // the first reading's lines are not needed any more
        Configuration config;
        ReaderFindings streamed;
        streamed.keepSources(false);
        streamed.stream(visit, std::move(also));
        readAgain = read(config, streamed);
        streamed.endStream();
    });

    const std::string file = displayName(path);
    if (json) {
        std::istringstream text(bytes);
        std::ifstream lines;
        if (path != kStandardStream)
            lines.open(libraryPath(path), std::ios::binary);
        ForwardLines forward(path == kStandardStream ? static_cast<std::istream&>(text) : lines);
        printCheckJson(invocation.out, file, faults, warnings, forward);
    } else {
        printCheckText(invocation.out, file, faults, warnings);
    }
    if (!readAgain)
        return kError;
    return faults.empty() ? kOk : kFault;
}

namespace {

int defaults(Invocation& invocation, const Options& options, const Operands& operands)
{
    const Configuration config;
    return save(invocation, options, config, operands[0]);
}

int normalize(Invocation& invocation, const Options& options, const Operands& operands)
{
    // OUT is guarded before IN is read: IN may be OUT.
    WriteGuard guard;
    std::string message;
    const std::string& out = operands[1];
    if (out != kStandardStream && !guard.beginAndCheck(out, writePolicy(options), message))
        return fail(invocation, message);
    Configuration config;
    if (!load(invocation, config, operands[0], nullptr))
        return kError;
    return save(invocation, options, config, out, &guard);
}

int check(Invocation& invocation, const Options& options, const Operands& operands)
{
    return checkConfiguration(invocation, operands[0], options.json, kKeptFindings);
}

int diff(Invocation& invocation, const Options& options, const Operands& operands)
{
    const std::string label = displayName(operands[0]);
    std::string message;
    if (operands[0] != kStandardStream) {
        const FileDiffOutcome outcome =
            diffWithSave(operands[0], label, writeTo(invocation.out), message, {}, options.ignoreLineEnds);
        invocation.out.flush();
        if (outcome == FileDiffOutcome::Failed || !invocation.out)
            return fail(invocation, outcome == FileDiffOutcome::Failed ? message : "cannot write to standard output");
        return outcome == FileDiffOutcome::Same ? kOk : kFault;
    }
    // Standard input cannot be read again: it is held, with the saved text.
    std::string bytes;
    if (!readInput(invocation, operands[0], bytes, message))
        return fail(invocation, message);
    std::string saved;
    {
        // The record is not needed beside the two texts.
        Configuration config;
        ConfigReader(config).readText(bytes);
        saved = formatConfiguration(config);
    }
    if (saved == bytes)
        return kOk;
    const TextDiff diff = diffTexts(bytes, saved, label, label, configurationLines(options.ignoreLineEnds));
    invocation.out << lineEndNote(diff.lineEnds) << diff.diff;
    return kFault;
}

const Command kFileCommands[] = {
    {.name = "defaults",
     .arguments = "OUT",
     .summary = "write a configuration with every default to OUT",
     .help = "Writes a configuration with every default to OUT; an existing OUT is kept\n"
             "as a backup (.bak, .bk2, ...). With OUT '-' the text goes to standard output.\n",
     .run = defaults,
     .operands = 1,
     .writes = true},
    {.name = "normalize",
     .arguments = "IN OUT",
     .summary = "load IN and save it to OUT in the editor's exact format",
     .help = "Loads IN and saves it to OUT exactly as the editor would; an existing OUT is\n"
             "kept as a backup (.bak, .bk2, ...). IN '-' reads standard input, OUT '-'\n"
             "writes standard output (no backup; messages go to standard error).\n"
             "'quarvel-cfg diff IN' shows beforehand what this changes.\n",
     .run = normalize,
     .operands = 2,
     .writes = true},
    {.name = "check",
     .arguments = "[--json] IN",
     .summary = "print the faults that stop the server and the lines a save would lose",
     .help = "Loads IN ('-' for standard input) and prints each fault that would keep the\n"
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
     .run = check,
     .operands = 1,
     .json = true},
    {.name = "diff",
     .arguments = "[--ignore-line-endings] IN",
     .summary = "show what a save of IN would change, as a unified diff",
     .help = "Prints the unified diff (3 lines of context) between IN ('-' for standard\n"
             "input) and what a save would write. Lines keep their CR LF ends, so that\n"
             "'patch IN' applies the diff to the file as it stands. Section headers are\n"
             "matched first: a section added or removed is one hunk of its own lines.\n"
             "\n"
             "  --ignore-line-endings   compare lines without their ends: a change of line\n"
             "                          ends (LF to CR LF) is told once, in a line before\n"
             "                          the diff, 'Line endings change: LF -> CR LF, N\n"
             "                          lines', and the diff shows the other changes only.\n"
             "                          patch still applies it, but the lines keep their\n"
             "                          ends.\n"
             "\n"
             "A file is not held in memory whole but read again as the diff needs it.\n"
             "Should it change meanwhile, the diff stops with an error: what it printed\n"
             "by then is right as far as it goes, but not complete.\n"
             "\n"
             "Exit status: 0 a save changes nothing, 1 it would, 2 a file or usage error.\n",
     .run = diff,
     .operands = 1,
     .ignoreLineEnds = true},
};

} // namespace

std::span<const Command> fileCommands()
{
    return kFileCommands;
}

} // namespace cfgtool
