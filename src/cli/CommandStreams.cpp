#include "cli/CommandStreams.h"

#include <iostream>
#include <new>

#include "cli/BoundedRead.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "platform/RegularFile.h"
#ifndef _WIN32
#include "platform/SafeFileWriter.h"
#endif

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
#ifndef _WIN32
        if (const std::string note = interruptedSaveNote(path); !note.empty())
            invocation.err << kProgram << ": warning: " << note << '\n';
#endif
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

int save(Invocation& invocation, const Configuration& config, const std::string& path)
{
    if (path == kStandardStream) {
        const bool written = formatConfiguration(config, writeTo(invocation.out));
        invocation.out.flush();
        return written && invocation.out ? kOk : fail(invocation, "cannot write to standard output");
    }
    std::string message;
    if (!config.saveToFile(path, message))
        return fail(invocation, message);
    invocation.out << message << '\n';
    return kOk;
}

std::string displayName(const std::string& path)
{
    return path == kStandardStream ? "<stdin>" : path;
}

} // namespace cfgtool
