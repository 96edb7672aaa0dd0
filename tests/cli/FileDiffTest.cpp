// quarvel-cfg diff of a file: the record read with the file, the saved text
// formatted from it, the file read again for the streamed diff.
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
            EXPECT_EQ(diff, unifiedDiff(c.file, saved, "in.cfg", "in.cfg"));
        }
    }
}
