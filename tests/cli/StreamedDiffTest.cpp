#include <gtest/gtest.h>

#include "TestSupport.h"
#include "cli/FileDiff.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "diff/LinePresence.h"
#include "diff/TextAlignment.h"
#include "diff/UnifiedDiff.h"
#include "diff/UnifiedDiffWriter.h"

namespace {

// "tag n" for n from first to before last, each line ended by end.
std::string lines(const std::string& tag, int first, int last, const std::string& end = "\n")
{
    std::string text;
    for (int n = first; n < last; ++n)
        text += tag + " " + std::to_string(n) + end;
    return text;
}

TextSink appendTo(std::string& text)
{
    return [&text](std::string_view piece) {
        text += piece;
        return true;
    };
}

// The diff through windows of windowBytes, both texts handed in pieces of 7
// bytes, with or without the lines of the texts.
std::string windowedDiff(const std::string& before, const std::string& after, std::size_t windowBytes, bool hints)
{
    LinePresence beforeLines(4096), afterLines(4096);
    beforeLines.feed(before);
    beforeLines.end();
    afterLines.feed(after);
    afterLines.end();
    const AlignmentWindow window{windowBytes, hints ? &beforeLines : nullptr, hints ? &afterLines : nullptr};
    const EditScript script = alignTexts(textSource(before, 7), textSource(after, 7), window);
    std::string diff;
    EXPECT_TRUE(writeUnifiedDiff(script, textSource(before, 7), textSource(after, 7), "t", "t", 3, appendTo(diff)));
    return diff;
}

// What patch makes of before with diff.
std::string patched(const std::string& before, const std::string& diff)
{
    TempDir dir;
    writeBytes(dir.file("t"), before);
    writeBytes(dir.file("d"), diff);
    EXPECT_EQ(runCommandStatus("patch -s " + dir.file("t") + " <" + dir.file("d") + " >/dev/null 2>&1"), 0) << diff;
    return readBytes(dir.file("t"));
}

} // namespace

TEST(WindowedDiff, PatchAppliesItAtAnyWindowAndAWholeWindowIsTheDiffInMemory)
{
    const std::string text = lines("line", 0, 40);
    const struct {
        const char* name;
        std::string before, after;
    } cases[] = {
        {"insertion longer than a window", text, lines("line", 0, 10) + lines("new", 0, 60) + lines("line", 10, 40)},
        {"deletion longer than a window", lines("line", 0, 10) + lines("old", 0, 60) + lines("line", 10, 40), text},
        {"block moved", lines("a", 0, 30) + lines("b", 0, 60), lines("b", 0, 60) + lines("a", 0, 30)},
        {"every line differs", text, lines("line", 0, 40, "\r\n")},
        {"scattered changes", text, lines("line", 0, 13) + "x\n" + lines("line", 14, 30) + lines("line", 31, 40)},
        {"last line end added", text + "last", text + "last\r\n"},
        {"last line end dropped", text + "last\n", text + "last"},
        {"empty before", "", text},
        {"empty after", text, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string whole = unifiedDiff(c.before, c.after, "t", "t");
        for (const std::size_t window : {1, 16, 64}) {
            EXPECT_TRUE(patched(c.before, windowedDiff(c.before, c.after, window, false)) == c.after) << window;
            // Told which side a stretch without common lines is on, the
            // windows change no more lines than the whole alignment.
            const std::string hinted = windowedDiff(c.before, c.after, window, true);
            EXPECT_TRUE(patched(c.before, hinted) == c.after) << window;
            EXPECT_EQ(changedLines(hinted), changedLines(whole)) << window << "\n" << hinted;
        }
        EXPECT_EQ(windowedDiff(c.before, c.after, 1 << 20, true), whole);
    }
}

TEST(DiffCommand, AFileIsDiffedWithoutHoldingItAndAChangeBetweenItsReadingsFails)
{
    TempDir dir;
    const std::string path = dir.file("in.cfg");
    const std::string file = "; by hand\n" + readBytes(goldenPath("sample.cfg")) + "[Extra]\nKey = 1";
    Configuration config;
    ConfigReader(config).readText(file);
    const std::string saved = formatConfiguration(config);
    const struct {
        const char* name;
        std::string file;
        std::size_t windowBytes;
        int changedBeforeReading; // of the readings after the first
        FileDiffOutcome outcome;
    } cases[] = {
        {"as a save writes it", saved, 0, 0, FileDiffOutcome::Same},
        {"hand-edited", file, 0, 0, FileDiffOutcome::Differs},
        {"hand-edited, tiny windows", file, 64, 0, FileDiffOutcome::Differs},
        {"changed before the alignment", file, 0, 1, FileDiffOutcome::Failed},
        {"changed before the diff is written", file, 0, 2, FileDiffOutcome::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.file);
        int reading = 0;
        const FileDiffOptions options{c.windowBytes, [&] {
                                          if (++reading == c.changedBeforeReading)
                                              writeBytes(path, "#" + c.file.substr(1));
                                      }};
        std::string diff, message;
        EXPECT_EQ(diffWithSave(path, "in.cfg", appendTo(diff), message, options), c.outcome);
        if (c.outcome == FileDiffOutcome::Failed) {
            EXPECT_EQ(message, path + " changed while it was read; run the diff again once it stays as it is");
            EXPECT_EQ(diff, "");
            continue;
        }
        EXPECT_EQ(message, "");
        EXPECT_TRUE(patched(c.file, diff) == saved) << diff;
        if (c.windowBytes == 0) {
            EXPECT_EQ(diff, unifiedDiff(c.file, saved, "in.cfg", "in.cfg"));
        }
    }
}
