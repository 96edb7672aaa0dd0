#include "cli/FileDiff.h"

#include <cerrno>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <system_error>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/SectionHeaderLine.h"
#include "platform/FileErrors.h"
#include "platform/FileNames.h"
#include "platform/RegularFile.h"

namespace {

// The file is read again in chunks of 64 KiB.
constexpr std::size_t kChunkSize = 64 * 1024;

// Writes the bytes of the file at path into sink; false with the message
// on a file error, and false when sink refused a chunk.
bool writeFile(const std::string& path, const TextSink& sink, std::string& message)
{
    struct Refused {};
    try {
        return readRegularFile(path, message, kChunkSize, [&sink](std::string_view chunk) {
            if (!sink(chunk))
                throw Refused();
        });
    } catch (const Refused&) {
        return false;
    }
}

// The size of the file now, 0 when it cannot be told.
std::size_t sizeNow(const std::string& path)
{
    try {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(libraryPath(path), error);
        return error ? 0 : static_cast<std::size_t>(size);
    } catch (const std::exception&) { // a path the system cannot take
        return 0;
    }
}

} // namespace

LineComparison configurationLines(bool ignoreEnds)
{
    return {ignoreEnds, isSectionHeaderLine};
}

FileDiffOutcome diffWithSave(const std::string& path, std::string_view label, const TextSink& out, std::string& message,
                             const FileDiffOptions& options, bool ignoreLineEnds)
{
    // The record is read with the first reading of the file; the saved text
    // is formatted from it whenever the diff needs it.
    Configuration config;
    StreamedDiffSides sides;
    sides.expectedBytes = sizeNow(path);
    sides.readFirst = [&](const std::function<void(std::string_view)>& take, std::string& readMessage) {
        return ConfigReader(config).readFile(path, readMessage, ConfigReader::kChunkSize, take);
    };
    sides.readAgain = [&path](const TextSink& sink, std::string& readMessage) {
        return writeFile(path, sink, readMessage);
    };
    sides.writeOther = [&](const TextSink& sink, std::string& writeMessage) {
        if (formatConfiguration(config, sink))
            return true;
        // The formatter fails only for want of memory, or when the sink refused.
        writeMessage = fileErrorMessage(ENOMEM, path);
        return false;
    };
    switch (streamedDiff(sides, label, out, message, options, configurationLines(ignoreLineEnds))) {
    case StreamedDiffOutcome::Same:
        return FileDiffOutcome::Same;
    case StreamedDiffOutcome::Differs:
        return FileDiffOutcome::Differs;
    case StreamedDiffOutcome::Failed:
        break;
    case StreamedDiffOutcome::Changed:
        message = path + " changed while it was read; run the diff again once it stays as it is";
        break;
    case StreamedDiffOutcome::Refused:
        message = "cannot write to standard output";
        break;
    case StreamedDiffOutcome::Incomplete:
        message = "the diff of " + path + " could not be written";
        break;
    }
    return FileDiffOutcome::Failed;
}
