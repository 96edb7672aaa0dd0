// Unified diffs of two texts, held whole and aligned in windows.
#include <gtest/gtest.h>
#include <random>

#include "TestSupport.h"
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

TEST(unifiedDiff, FormatOfHunksContextAndMissingLineEnds)
{
    EXPECT_EQ(unifiedDiff("a\nb\n", "a\nb\n", "x", "y"), "");
    // Two changes six equal lines apart share a hunk; further apart they do not.
    const std::string ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    EXPECT_EQ(unifiedDiff(ten, "1\nB\n3\n4\n5\n6\n7\n8\nI\n10\n", "x", "y"),
              "--- x\n+++ y\n@@ -1,10 +1,10 @@\n 1\n-2\n+B\n 3\n 4\n 5\n 6\n 7\n 8\n-9\n+I\n 10\n");
    EXPECT_EQ(unifiedDiff(ten + "11\n12\n", "A\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\nL\n", "x", "y"),
              "--- x\n+++ y\n@@ -1,4 +1,4 @@\n-1\n+A\n 2\n 3\n 4\n@@ -9,4 +9,4 @@\n 9\n 10\n 11\n-12\n+L\n");
    // Empty sides, insertions at the start, a last line without its end.
    EXPECT_EQ(unifiedDiff("", "a\r\n", "x", "y"), "--- x\n+++ y\n@@ -0,0 +1 @@\n+a\r\n");
    EXPECT_EQ(unifiedDiff("b\n", "a\nb\n", "x", "y"), "--- x\n+++ y\n@@ -1 +1,2 @@\n+a\n b\n");
    EXPECT_EQ(unifiedDiff("a\nb", "a\nb\n", "x", "y"),
              "--- x\n+++ y\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n");
}

TEST(unifiedDiff, PatchTurnsEveryRandomTextIntoTheOther)
{
    if (runCommandStatus("patch --version >/dev/null 2>&1") != 0)
        FAIL() << "patch is needed (tools/setup.sh installs it)";
    TempDir dir;
    std::mt19937 rng(11);
    const std::string pieces[] = {"a\r\n", "b\r\n", "c\n", "[A4]\r\n", "SizeX = 1\r\n", "\r\n", "x", "unique"};
    auto text = [&](int lines) {
        std::string t;
        for (int i = 0; i < lines; ++i) {
            const std::string& p = pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
            t += p == "unique" ? "line " + std::to_string(rng() % 50) + "\n" : p;
        }
        return t;
    };
    for (int round = 0; round < 40; ++round) {
        const std::string before = text(static_cast<int>(rng() % 40)), after = text(static_cast<int>(rng() % 40));
        writeBytes(dir.file("t"), before);
        writeBytes(dir.file("d"), unifiedDiff(before, after, "t", "t"));
        if (before == after)
            continue;
        ASSERT_EQ(runCommandStatus("patch -s " + dir.file("t") + " <" + dir.file("d") + " >/dev/null 2>&1"), 0)
            << readBytes(dir.file("d"));
        ASSERT_TRUE(readBytes(dir.file("t")) == after) << readBytes(dir.file("d"));
    }
}

TEST(unifiedDiff, EveryLineChangedStaysFast)
{
    // An LF file against the writer's CR LF: no line is equal. 200,000 lines
    // each way must not take quadratic time.
    std::string lf, crlf;
    for (int i = 0; i < 100000; ++i) {
        lf += "Key" + std::to_string(i % 7) + " = " + std::to_string(i) + "\n\n";
        crlf += "Key" + std::to_string(i % 7) + " = " + std::to_string(i) + "\r\n\r\n";
    }
    const std::string diff = unifiedDiff(lf, crlf, "x", "y");
    const std::string head = "--- x\n+++ y\n@@ -1,200000 +1,200000 @@\n";
    EXPECT_EQ(diff.rfind(head + "-Key0 = 0\n", 0), 0u);
    EXPECT_EQ(diff.size(), head.size() + lf.size() + crlf.size() + 2 * 200000);
}

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

namespace {

// A paper section as the writer writes it: its header, the keys, a blank line.
std::string paper(const std::string& name, int sizeX, int skip, int offsetX)
{
    return "[" + name + "]\r\nDescription = \r\nSizeX = " + std::to_string(sizeX) +
           "\r\nSkipX = " + std::to_string(skip) + "\r\nSkipY = " + std::to_string(skip) +
           "\r\nOffsetX = " + std::to_string(offsetX) + "\r\nOffsetY = 0\r\n\r\n";
}

bool isHeader(std::string_view line)
{
    return line.starts_with('[');
}

// The lines of text without their ends, whichever they are; the last one
// ends or not.
std::string withoutEnds(std::string_view text)
{
    std::string result;
    for (std::size_t at = 0; at < text.size(); ++at)
        if (text.substr(at, 2) != "\r\n")
            result += text[at];
    if (result.ends_with('\n'))
        result.pop_back();
    return result;
}

} // namespace

TEST(diffTexts, SectionsAreAlignedFirstAndChangedLineEndsAreToldOnce)
{
    const std::string head = "[[PAGE SIZE]]\r\n\r\n", tail = "[[[LAYOUTS]]]\r\n";
    const std::string film = paper("FILM14X17", 1008, 20, 10), b5 = paper("B5", 499, 20, 10),
                      a4 = paper("A4", 595, 0, 0);
    auto marked = [](char mark, const std::string& text) {
        std::string result;
        for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
            end = text.find('\n', at);
            result += mark + text.substr(at, end + 1 - at);
        }
        return result;
    };
    const std::string filmHead = " [[PAGE SIZE]]\r\n \r\n [FILM14X17]\r\n";
    const std::string filmEnd = " OffsetX = 10\r\n OffsetY = 0\r\n \r\n",
                      a4Head = " [A4]\r\n Description = \r\n SizeX = 595\r\n";
    const std::string lf = "[A]\nx = 1\ny = 2\nz = 3\n";
    const struct {
        const char* name;
        std::string before, after;
        bool ignoreEnds;
        std::string note, diff;
    } rows[] = {
        // Aligned line by line, the last lines of B5 pass for FILM14X17's,
        // which the diff then seems to remove.
        {"a section removed is one hunk of its lines", "; by hand\r\n" + head + film + b5 + a4 + tail,
         head + film + a4 + tail, false, "",
         "--- t\n+++ t\n@@ -1,4 +1,3 @@\n-; by hand\r\n" + filmHead + "@@ -9,14 +8,6 @@\n" + filmEnd + marked('-', b5) +
             a4Head},
        {"a section added is one hunk of its lines", head + film + a4 + tail,
         "; by hand\r\n" + head + film + b5 + a4 + tail, false, "",
         "--- t\n+++ t\n@@ -1,3 +1,4 @@\n+; by hand\r\n" + filmHead + "@@ -8,6 +9,14 @@\n" + filmEnd + marked('+', b5) +
             a4Head},
        {"a section renamed keeps its lines", head + b5 + tail, head + "[B4]" + b5.substr(4) + tail, false, "",
         "--- t\n+++ t\n@@ -1,6 +1,6 @@\n [[PAGE SIZE]]\r\n \r\n-[B5]\r\n+[B4]\r\n Description = \r\n"
         " SizeX = 499\r\n SkipX = 20\r\n"},
        {"lines before the first header", "; mine\n[A]\nx = 1\n", "; ours\n[A]\nx = 1\n", false, "",
         "--- t\n+++ t\n@@ -1,3 +1,3 @@\n-; mine\n+; ours\n [A]\n x = 1\n"},
        {"LF against CR LF, compared with their ends", lf, "[A]\r\nx = 1\r\n", false, "",
         "--- t\n+++ t\n@@ -1,4 +1,2 @@\n-[A]\n-x = 1\n-y = 2\n-z = 3\n+[A]\r\n+x = 1\r\n"},
        {"LF against CR LF, ends told once", lf, "[A]\r\nx = 1\r\ny = 5\r\nz = 3\r\n", true,
         "Line endings change: LF -> CR LF, 3 lines\n",
         "--- t\n+++ t\n@@ -1,4 +1,4 @@\n [A]\n x = 1\n-y = 2\n+y = 5\r\n z = 3\n"},
        {"only the ends change", lf + "last", "[A]\r\nx = 1\r\ny = 2\nz = 3\r\nlast\r\n", true,
         "Line endings change: LF -> CR LF, 3 lines; no line end -> CR LF, 1 line\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto expectPatched = [&row](const std::string& diff) {
            if (diff.empty())
                return;
            const std::string result = patched(row.before, diff);
            EXPECT_TRUE(row.ignoreEnds ? withoutEnds(result) == withoutEnds(row.after) : result == row.after) << diff;
        };
        const TextDiff diff = diffTexts(row.before, row.after, "t", "t", {row.ignoreEnds, isHeader});
        EXPECT_EQ(lineEndNote(diff.lineEnds), row.note);
        EXPECT_EQ(diff.diff, row.diff);
        expectPatched(diff.diff);
        // Through windows of a few lines, the same line ends and a diff
        // that patch applies.
        LinePresence beforeLines(4096, row.ignoreEnds), afterLines(4096, row.ignoreEnds);
        beforeLines.feed(row.before);
        beforeLines.end();
        afterLines.feed(row.after);
        afterLines.end();
        const EditScript script = alignTexts(textSource(row.before, 7), textSource(row.after, 7),
                                             {48, &beforeLines, &afterLines}, {row.ignoreEnds, isHeader});
        EXPECT_EQ(lineEndNote(script.lineEnds()), row.note);
        std::string windowed;
        EXPECT_TRUE(
            writeUnifiedDiff(script, textSource(row.before), textSource(row.after), "t", "t", 3, appendTo(windowed)));
        expectPatched(windowed);
    }
}

TEST(diffTexts, PatchTurnsEveryRandomTextOfSectionsIntoTheOtherThroughAnyWindow)
{
    std::mt19937 rng(7);
    const std::string pieces[] = {"[A]\r\n", "[B]\n", "[General]\r\n", "[[G]]\r\n", "x = 1\r\n", "x = 1\n", "\r\n"};
    auto text = [&](std::size_t lines) {
        std::string t;
        for (std::size_t i = 0; i < lines; ++i)
            t += pieces[rng() % std::size(pieces)];
        return t + (rng() % 2 ? "[C]" : "");
    };
    for (int round = 0; round < 200; ++round) {
        const std::string before = text(rng() % 30), after = text(rng() % 30);
        const bool ignoreEnds = rng() % 2;
        const std::size_t windowBytes = rng() % 3 ? 8 + rng() % 64 : SIZE_MAX;
        LinePresence beforeLines(4096, ignoreEnds), afterLines(4096, ignoreEnds);
        beforeLines.feed(before);
        beforeLines.end();
        afterLines.feed(after);
        afterLines.end();
        const EditScript script = alignTexts(textSource(before, 5), textSource(after, 5),
                                             {windowBytes, &beforeLines, &afterLines}, {ignoreEnds, isHeader});
        std::string diff;
        ASSERT_TRUE(writeUnifiedDiff(script, textSource(before), textSource(after), "t", "t", 3, appendTo(diff)));
        // Without their ends, lines kept keep before's.
        const std::string result = diff.empty() ? before : patched(before, diff);
        if (ignoreEnds)
            ASSERT_EQ(withoutEnds(result), withoutEnds(after)) << round << "\n" << diff;
        else
            ASSERT_TRUE(result == after) << round << "\n" << diff;
    }
}
