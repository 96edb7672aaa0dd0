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
