#include "cli/CommandStreams.h"

#include <algorithm>
#include <iostream>
#include <new>

#include "cli/BoundedRead.h"
#include "cli/WriteGuard.h"
#include "config/ConfigFields.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"
#include "platform/InterruptedSave.h"
#include "platform/RegularFile.h"
#include "platform/SaveFile.h"

namespace cfgtool {

int fail(Invocation& invocation, const std::string& message)
{
    invocation.err << kProgram << ": " << message << '\n';
    return kError;
}

bool readInput(Invocation& invocation, const std::string& path, std::string& bytes, std::string& message)
{
    if (path == kStandardStream) {
        // Standard input has no size: an endless one (</dev/zero) is refused
        // at the bound rather than filling the memory.
        BoundedRead read = BoundedRead::Failed;
        std::string cause;
        try {
            read = readBounded(invocation.in, bytes);
        } catch (const std::bad_alloc&) {
            cause = ": out of memory";
        }
        if (read == BoundedRead::Read)
            return true;
        bytes = std::string();
        message = read == BoundedRead::TooLong ? "standard input holds more than " + inputLimitText()
                                               : "cannot read standard input" + cause;
        return false;
    }
    // The same reader as the configuration's: regular files only, and no
    // more than the file held when it was opened.
    return readRegularFile(path, message, 64 * 1024, [&bytes](std::string_view chunk) { bytes.append(chunk); });
}

bool load(Invocation& invocation, Configuration& config, const std::string& path, ReaderFindings* findings)
{
    std::string message;
    if (path != kStandardStream) {
        if (const std::string note = interruptedSaveNote(path); !note.empty())
            invocation.err << kProgram << ": warning: " << note << '\n';
        if (config.loadFromFile(path, message, findings))
            return true;
        fail(invocation, message);
        return false;
    }
    std::string bytes;
    if (!readInput(invocation, path, bytes, message)) {
        fail(invocation, message);
        return false;
    }
    ConfigReader(config, findings).readText(bytes);
    return true;
}

TextSink writeTo(std::ostream& out)
{
    return [&out](std::string_view piece) {
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        return static_cast<bool>(out);
    };
}

int save(Invocation& invocation, const Options& options, const Configuration& config, const std::string& path,
         WriteGuard* guard)
{
    if (path == kStandardStream) {
        const bool written = formatConfiguration(config, writeTo(invocation.out));
        invocation.out.flush();
        return written && invocation.out ? kOk : fail(invocation, "cannot write to standard output");
    }
    std::string message;
    WriteGuard own;
    if (!guard && !own.beginAndCheck(path, writePolicy(options), message))
        return fail(invocation, message);
    if (!config.saveToFile(path, message, saveOptions(options)))
        return fail(invocation, message);
    invocation.out << message << '\n';
    return kOk;
}

int refuseFaults(Invocation& invocation, const Options& options, const Configuration& config,
                 const std::vector<std::string>* had)
{
    if (options.allowFaults)
        return kOk;
    std::vector<std::string> added = findConfigurationFaults(config).lines;
    if (had)
        std::erase_if(
            added, [had](const std::string& line) { return std::find(had->begin(), had->end(), line) != had->end(); });
    if (added.empty())
        return kOk;
    invocation.err << kProgram << ": the configuration would keep the print server from working:\n";
    for (const std::string& line : added)
        invocation.err << "  " << decodeText(line, config.Encoding);
    invocation.err << kProgram << ": nothing was written (--allow-faults writes it all the same)\n";
    return kFault;
}

WritePolicy writePolicy(const Options& options)
{
    WritePolicy policy;
    policy.wait = std::chrono::seconds(options.waitSeconds);
    policy.discardRecovery = options.discardRecovery;
    policy.replaceForeign = options.replaceForeign;
    return policy;
}

SaveOptions saveOptions(const Options& options)
{
    SaveOptions save;
    save.keepBackups = options.keepBackups;
    return save;
}

const char* const kWriterOptionsHelp =
    "  --wait S             wait up to S seconds (default 10) while another program\n"
    "                       changes the file, then give up\n"
    "  --discard-recovery   go on from a file that an interrupted save left, and\n"
    "                       remove the copy of its old content\n"
    "  --replace-foreign    replace a file that holds no configuration\n"
    "  --keep-backups N     keep at most N numbered backups (default 10, 0 all)\n";

const char* const kAllowFaultsHelp = "  --allow-faults       write a configuration that has faults (see 'check')\n";

std::string displayName(const std::string& path)
{
    return path == kStandardStream ? "<stdin>" : path;
}

} // namespace cfgtool
