#include "cli/FileDiff.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <system_error>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "diff/ByteDigests.h"
#include "diff/LinePresence.h"
#include "diff/PulledText.h"
#include "diff/TextAlignment.h"
#include "diff/UnifiedDiffWriter.h"
#include "platform/FileErrors.h"
#include "platform/FileNames.h"
#include "platform/RegularFile.h"

namespace {

// The file is read, and checked, in segments of 64 KiB.
constexpr std::size_t kSegmentSize = 64 * 1024;
constexpr std::size_t kContext = 3;

// Writes the bytes of the file at path into sink; false with the message
// on a file error, and false when sink refused a chunk.
bool writeFile(const std::string& path, const TextSink& sink, std::string& message)
{
    struct Refused {};
    try {
        return readRegularFile(path, message, kSegmentSize, [&sink](std::string_view chunk) {
            if (!sink(chunk))
                throw Refused();
        });
    } catch (const Refused&) {
        return false;
    }
}

// Windows of a 128th of the file, between 64 KiB (so that small files are
// aligned whole, as unifiedDiff aligns them) and 2 MiB: aligning a window
// takes some seven times its size.
std::size_t windowFor(std::size_t fileBytes)
{
    return std::clamp<std::size_t>(fileBytes / 128, 64 * 1024, 2 * 1024 * 1024);
}

// A bit for every 4 to 8 bytes of the file (the set rounds up), 4 MiB at
// most.
std::size_t presenceBitsFor(std::size_t fileBytes)
{
    return std::clamp<std::size_t>(fileBytes / 8, std::size_t{1} << 16, std::size_t{1} << 25);
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

class FileDiff {
  public:
    FileDiff(const std::string& path, std::string& message, const FileDiffOptions& options)
        : m_path(path), m_message(message), m_options(options)
    {
    }

    FileDiffOutcome run(std::string_view label, const TextSink& out)
    {
        // Sized by the file as it is now; should it change, the diff fails
        // at the next reading anyway.
        LinePresence beforeLines(presenceBitsFor(sizeNow(m_path)));
        if (!readRecord(beforeLines))
            return FileDiffOutcome::Failed;
        const std::size_t fileBytes = m_digests.bytes();
        LinePresence afterLines(presenceBitsFor(fileBytes));
        formatConfiguration(m_config, [&afterLines](std::string_view piece) {
            afterLines.feed(piece);
            return true;
        });
        afterLines.end();

        const AlignmentWindow window{m_options.windowBytes ? m_options.windowBytes : windowFor(fileBytes), &beforeLines,
                                     &afterLines};
        EditScript script;
        if (!reread([&](const TextSource& before, const TextSource& after) {
                script = alignTexts(before, after, window);
                return true;
            }))
            return FileDiffOutcome::Failed;
        if (!script.changes())
            return FileDiffOutcome::Same;
        bool refused = false;
        const TextSink sink = [&out, &refused](std::string_view piece) {
            refused = !out(piece);
            return !refused;
        };
        const bool written = reread([&](const TextSource& before, const TextSource& after) {
            return writeUnifiedDiff(script, before, after, label, label, kContext, sink);
        });
        if (refused)
            m_message = "cannot write to standard output";
        else if (!written && m_message.empty())
            m_message = "the diff of " + m_path + " could not be written";
        return written ? FileDiffOutcome::Differs : FileDiffOutcome::Failed;
    }

  private:
    // Reads the record, and takes note of the bytes and lines of the file
    // as they are read: the lines for the alignment to tell which side a
    // long stretch without common lines belongs to.
    bool readRecord(LinePresence& lines)
    {
        const bool read = ConfigReader(m_config).readFile(m_path, m_message, ConfigReader::kChunkSize,
                                                          [this, &lines](std::string_view chunk) {
                                                              m_digests.feed(chunk);
                                                              lines.feed(chunk);
                                                          });
        m_digests.end();
        lines.end();
        return read;
    }

    // Reads the file again, checked against the first reading, beside the
    // saved text; false with the message when the file could not be read
    // or was not the same, or when use returned false. The rest of the file
    // that use left is checked too: a change there changes what use found.
    bool reread(const std::function<bool(const TextSource& before, const TextSource& after)>& use)
    {
        if (m_options.beforeRereading)
            m_options.beforeRereading();
        std::string fileMessage;
        PulledText file([this, &fileMessage](const TextSink& sink) { return writeFile(m_path, sink, fileMessage); });
        VerifiedReading before(m_digests, file.source());
        PulledText saved([this](const TextSink& sink) { return formatConfiguration(m_config, sink); });
        const bool used = use(before.source(), saved.source());
        for (std::string_view piece; used && before.read(piece);) {
        }
        if (file.failed() || saved.failed()) {
            // The formatter fails only for want of memory.
            m_message = file.failed() ? fileMessage : fileErrorMessage(ENOMEM, m_path);
            return false;
        }
        if (before.changed()) {
            m_message = m_path + " changed while it was read; run the diff again once it stays as it is";
            return false;
        }
        return used;
    }

    const std::string& m_path;
    std::string& m_message;
    const FileDiffOptions& m_options;
    Configuration m_config;
    ByteDigests m_digests{kSegmentSize};
};

} // namespace

FileDiffOutcome diffWithSave(const std::string& path, std::string_view label, const TextSink& out, std::string& message,
                             const FileDiffOptions& options)
{
    return FileDiff(path, message, options).run(label, out);
}
