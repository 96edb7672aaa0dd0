// quarvel-cfg diff of a file: the record read with the file, the saved text
// formatted from it, the file read again for the streamed diff.
#include <algorithm>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "cli/FileDiff.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "diff/UnifiedDiff.h"

namespace {

TextSink appendTo(std::string& text)
{
    return [&text](std::string_view piece) {
        text += piece;
        return true;
    };
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
            EXPECT_EQ(diff, diffTexts(c.file, saved, "in.cfg", "in.cfg", configurationLines(false)).diff);
        }
    }
}

namespace {

void replaceOnce(std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

std::string withoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

} // namespace

// Through the real program and the real patch, as an administrator would.
TEST(DiffCommand, PatchAppliesTheDiffOfEveryKindOfChangeAndLineEndsAreToldOnceIfAsked)
{
    if (runCommandStatus("patch --version >/dev/null 2>&1") != 0)
        FAIL() << "patch is needed (tools/setup.sh installs it)";
    const std::string sample = readBytes(goldenPath("sample.cfg"));
    // A section a save drops after one that ends alike, and a comment it
    // drops: aligned line by line, the diff would seem to take the last
    // lines of [Compatibility].
    const std::string extra = "[Compat]\r\nSkipImagePixel = YES\r\n\r\n";
    std::string dropped = "; by hand\r\n" + sample, missing = sample, values = sample;
    replaceOnce(dropped, "[[SESSION]]\r\n", extra + "[[SESSION]]\r\n");
    replaceOnce(missing, "[PostScript]\r\nSupportsColorImage = NO\r\nUseCMYK = YES\r\n\r\n", "");
    replaceOnce(values, "Priority = HIGH", "Priority = URGENT");
    replaceOnce(values, "Port = 5104", "Port = 05104");
    const struct {
        const char* name;
        std::string file;
        bool ignoreEnds;
        std::string shows; // in the diff
    } rows[] = {
        {"section deleted", dropped, false, "\n \r\n-[Compat]\r\n-SkipImagePixel = YES\r\n-\r\n [[SESSION]]\r\n"},
        {"section added", missing, false, "\n+[PostScript]\r\n+SupportsColorImage = YES\r\n+UseCMYK = NO\r\n+\r\n"},
        {"values changed", values, false, "\n-Priority = URGENT\r\n+Priority = MED\r\n"},
        {"LF file", withoutCarriageReturns(values), false, "\n-[[[PRINTER]]]\n"},
        {"LF file, line ends ignored", withoutCarriageReturns(values), true,
         "\n-Priority = URGENT\n+Priority = MED\r\n"},
    };
    const std::string cfg = QUARVEL_CFG_BINARY;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        writeBytes(dir.file("in.cfg"), row.file);
        writeBytes(dir.file("copy.cfg"), row.file);
        const std::string option = row.ignoreEnds ? " --ignore-line-endings " : " ";
        EXPECT_EQ(runCommandStatus(cfg + " diff" + option + dir.file("in.cfg") + " >" + dir.file("d")), 1);
        EXPECT_EQ(runCommandStatus(cfg + " diff" + option + "- <" + dir.file("in.cfg") + " >" + dir.file("d-")), 1);
        const std::string diff = readBytes(dir.file("d"));
        EXPECT_NE(diff.find(row.shows), std::string::npos) << diff;
        // Held or streamed, the diff is the same but for the name.
        std::string fromInput = readBytes(dir.file("d-"));
        replaceOnce(fromInput, "<stdin>\n+++ <stdin>", dir.file("in.cfg") + "\n+++ " + dir.file("in.cfg"));
        EXPECT_TRUE(fromInput == diff) << fromInput;
        ASSERT_EQ(runCommandStatus("patch -s " + dir.file("copy.cfg") + " <" + dir.file("d") + " >/dev/null 2>&1"), 0)
            << diff;
        ASSERT_EQ(runCommandStatus(cfg + " normalize " + dir.file("in.cfg") + " - >" + dir.file("saved.cfg")), 0);
        const std::string saved = readBytes(dir.file("saved.cfg")), copy = readBytes(dir.file("copy.cfg"));
        if (!row.ignoreEnds) {
            EXPECT_EQ(diff.rfind("--- ", 0), 0u);
            EXPECT_TRUE(copy == saved);
            continue;
        }
        // Said once, before the diff: every line but the two changed.
        const auto lines = std::count(row.file.begin(), row.file.end(), '\n');
        EXPECT_EQ(diff.rfind("Line endings change: LF -> CR LF, " + std::to_string(lines - 2) + " lines\n--- ", 0), 0u);
        EXPECT_EQ(changedLines(diff), 2u);
        EXPECT_TRUE(withoutCarriageReturns(copy) == withoutCarriageReturns(saved));
    }
    // A file as a save writes it but for its line ends: the note alone, and
    // still a change to show.
    TempDir dir;
    writeBytes(dir.file("lf.cfg"), withoutCarriageReturns(sample));
    EXPECT_EQ(runCommandStatus(cfg + " diff --ignore-line-endings " + dir.file("lf.cfg") + " >" + dir.file("d")), 1);
    EXPECT_EQ(readBytes(dir.file("d")), "Line endings change: LF -> CR LF, " +
                                            std::to_string(std::count(sample.begin(), sample.end(), '\n')) +
                                            " lines\n");
}
