#include "diff/StreamedDiff.h"

#include <algorithm>

#include "diff/ByteDigests.h"
#include "diff/LinePresence.h"
#include "diff/PulledText.h"
#include "diff/TextAlignment.h"
#include "diff/UnifiedDiff.h"
#include "diff/UnifiedDiffWriter.h"

namespace {

// The file is checked in segments of 64 KiB.
constexpr std::size_t kSegmentSize = 64 * 1024;
constexpr std::size_t kContext = 3;

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

class StreamedDiff {
  public:
    StreamedDiff(const StreamedDiffSides& sides, std::string& message, const StreamedDiffOptions& options,
                 const LineComparison& comparison)
        : m_sides(sides), m_message(message), m_options(options), m_comparison(comparison)
    {
    }

    StreamedDiffOutcome run(std::string_view label, const TextSink& out)
    {
        // Sized by the file as it is now; should it change, the diff fails
        // at the next reading anyway.
        const bool ignoreEnds = m_comparison.ignoreEnds;
        LinePresence beforeLines(presenceBitsFor(m_sides.expectedBytes), ignoreEnds);
        if (!readFirst(beforeLines))
            return StreamedDiffOutcome::Failed;
        const std::size_t fileBytes = m_digests.bytes();
        LinePresence afterLines(presenceBitsFor(fileBytes), ignoreEnds);
        std::string unused;
        m_sides.writeOther(
            [&afterLines](std::string_view piece) {
                afterLines.feed(piece);
                return true;
            },
            unused);
        afterLines.end();

        const AlignmentWindow window{m_options.windowBytes ? m_options.windowBytes : windowFor(fileBytes), &beforeLines,
                                     &afterLines};
        EditScript script;
        if (const StreamedDiffOutcome read = reread([&](const TextSource& before, const TextSource& after) {
                script = alignTexts(before, after, window, m_comparison);
                return true;
            });
            read != StreamedDiffOutcome::Differs)
            return read;
        if (!script.changes() && script.lineEnds().empty())
            return StreamedDiffOutcome::Same;
        bool refused = false;
        const TextSink sink = [&out, &refused](std::string_view piece) {
            refused = !out(piece);
            return !refused;
        };
        const std::string note = lineEndNote(script.lineEnds());
        const StreamedDiffOutcome written = reread([&](const TextSource& before, const TextSource& after) {
            return (note.empty() || sink(note)) &&
                   writeUnifiedDiff(script, before, after, label, label, kContext, sink);
        });
        return refused ? StreamedDiffOutcome::Refused : written;
    }

  private:
    // Reads the file for the first time, and takes note of its bytes and
    // lines: the lines for the alignment to tell which side a long stretch
    // without common lines belongs to.
    bool readFirst(LinePresence& lines)
    {
        const bool read = m_sides.readFirst(
            [this, &lines](std::string_view chunk) {
                m_digests.feed(chunk);
                lines.feed(chunk);
            },
            m_message);
        m_digests.end();
        lines.end();
        return read;
    }

    // Reads the file again, checked against the first reading, beside the
    // other text: Differs when use returned true, Incomplete when it
    // returned false, or why the texts could not be read. The rest of the
    // file that use left is checked too: a change there changes what use
    // found.
    StreamedDiffOutcome reread(const std::function<bool(const TextSource& before, const TextSource& after)>& use)
    {
        if (m_options.beforeRereading)
            m_options.beforeRereading();
        std::string fileMessage, otherMessage;
        PulledText file([this, &fileMessage](const TextSink& sink) { return m_sides.readAgain(sink, fileMessage); });
        VerifiedReading before(m_digests, file.source());
        PulledText other(
            [this, &otherMessage](const TextSink& sink) { return m_sides.writeOther(sink, otherMessage); });
        const bool used = use(before.source(), other.source());
        for (std::string_view piece; used && before.read(piece);) {
        }
        if (file.failed() || other.failed()) {
            m_message = file.failed() ? fileMessage : otherMessage;
            return StreamedDiffOutcome::Failed;
        }
        if (before.changed())
            return StreamedDiffOutcome::Changed;
        return used ? StreamedDiffOutcome::Differs : StreamedDiffOutcome::Incomplete;
    }

    const StreamedDiffSides& m_sides;
    std::string& m_message;
    const StreamedDiffOptions& m_options;
    const LineComparison& m_comparison;
    ByteDigests m_digests{kSegmentSize};
};

} // namespace

StreamedDiffOutcome streamedDiff(const StreamedDiffSides& sides, std::string_view label, const TextSink& out,
                                 std::string& message, const StreamedDiffOptions& options,
                                 const LineComparison& comparison)
{
    return StreamedDiff(sides, message, options, comparison).run(label, out);
}
