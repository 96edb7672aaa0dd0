// The streamed diff of a file read through callbacks against a text written
// anew: what it writes, and how a file that changes or a failing reader,
// writer or output ends it.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "diff/StreamedDiff.h"
#include "diff/UnifiedDiff.h"

namespace {

// "line n" for n from first to before last.
std::string lines(int first, int last)
{
    std::string text;
    for (int n = first; n < last; ++n)
        text += "line " + std::to_string(n) + "\r\n";
    return text;
}

// Pushes text into sink in pieces of 5 bytes; false when sink refused one.
bool push(const std::string& text, const TextSink& sink)
{
    for (std::size_t at = 0; at < text.size(); at += 5)
        if (!sink(std::string_view(text).substr(at, 5)))
            return false;
    return true;
}

} // namespace

TEST(StreamedDiff, WritesTheWholeDiffOrStopsAtAChangedFileOrAFailingSide)
{
    const std::string file = lines(0, 30) + "old\r\n" + lines(30, 60);
    const std::string other = lines(0, 30) + "new\r\n" + lines(30, 60) + "last";
    enum Failing { None, FirstReading, Rereading, Writer, Output };
    const struct {
        const char* name;
        std::string other;
        std::size_t windowBytes;
        int changedBeforeReading; // of the readings after the first
        Failing failing;
        StreamedDiffOutcome outcome;
        std::string message;
    } rows[] = {
        {"equal texts", file, 0, 0, None, StreamedDiffOutcome::Same, ""},
        {"different texts", other, 0, 0, None, StreamedDiffOutcome::Differs, ""},
        {"different texts, tiny windows", other, 16, 0, None, StreamedDiffOutcome::Differs, ""},
        {"changed before the alignment", other, 0, 1, None, StreamedDiffOutcome::Changed, ""},
        {"changed before the diff is written", other, 0, 2, None, StreamedDiffOutcome::Changed, ""},
        {"first reading fails", other, 0, 0, FirstReading, StreamedDiffOutcome::Failed, "first: gone"},
        {"a later reading fails", other, 0, 0, Rereading, StreamedDiffOutcome::Failed, "again: gone"},
        {"the writer fails", other, 0, 0, Writer, StreamedDiffOutcome::Failed, "writer: no memory"},
        {"the output refuses", other, 0, 0, Output, StreamedDiffOutcome::Refused, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string current = file;
        StreamedDiffSides sides;
        sides.expectedBytes = file.size();
        sides.readFirst = [&](const std::function<void(std::string_view)>& take, std::string& message) {
            take(std::string_view(current).substr(0, 100));
            if (row.failing == FirstReading) {
                message = "first: gone";
                return false;
            }
            take(std::string_view(current).substr(100));
            return true;
        };
        sides.readAgain = [&](const TextSink& sink, std::string& message) {
            if (row.failing != Rereading)
                return push(current, sink);
            message = "again: gone";
            return false;
        };
        sides.writeOther = [&](const TextSink& sink, std::string& message) {
            if (row.failing == Writer && !row.other.empty()) {
                message = "writer: no memory";
                return false;
            }
            return push(row.other, sink);
        };
        int reading = 0;
        const StreamedDiffOptions options{row.windowBytes, [&] {
                                              if (++reading == row.changedBeforeReading)
                                                  current = "#" + file.substr(1);
                                          }};
        std::string diff, message;
        const TextSink out = [&](std::string_view piece) {
            diff += piece;
            return row.failing != Output;
        };
        EXPECT_EQ(streamedDiff(sides, "f", out, message, options), row.outcome);
        EXPECT_EQ(message, row.message);
        if (row.outcome == StreamedDiffOutcome::Differs) {
            EXPECT_EQ(changedLines(diff), changedLines(unifiedDiff(file, row.other, "f", "f"))) << diff;
            if (row.windowBytes == 0) {
                EXPECT_EQ(diff, unifiedDiff(file, row.other, "f", "f"));
            }
        } else if (row.failing != Output) {
            EXPECT_EQ(diff, ""); // no line before its part of the file proved the same
        }
    }
}
