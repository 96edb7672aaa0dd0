#include "diff/UnifiedDiff.h"

#include <algorithm>

#include "diff/TextAlignment.h"
#include "diff/UnifiedDiffWriter.h"

// The one-window case of the alignment of long texts: both texts are held
// already, so the window takes them whole.
std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view beforeLabel,
                        std::string_view afterLabel, std::size_t context)
{
    return diffTexts(before, after, beforeLabel, afterLabel, {}, context).diff;
}

TextDiff diffTexts(std::string_view before, std::string_view after, std::string_view beforeLabel,
                   std::string_view afterLabel, const LineComparison& comparison, std::size_t context)
{
    if (before == after)
        return {};
    const EditScript script = alignTexts(textSource(before), textSource(after), {}, comparison);
    TextDiff result{{}, script.lineEnds()};
    writeUnifiedDiff(script, textSource(before), textSource(after), beforeLabel, afterLabel, context,
                     [&result](std::string_view piece) {
                         result.diff += piece;
                         return true;
                     });
    return result;
}

std::string lineEndNote(const LineEndChanges& changes)
{
    return changes.empty() ? std::string() : "Line endings change: " + changes.describe("->") + "\n";
}

std::size_t changedLines(std::string_view diff)
{
    std::size_t changed = 0, removed = 0, added = 0;
    bool inHunk = false; // before the first "@@" stand the file names
    auto endRun = [&] {
        changed += std::max(removed, added);
        removed = added = 0;
    };
    while (!diff.empty()) {
        const std::size_t end = diff.find('\n');
        const std::string_view line = diff.substr(0, end);
        diff = end == std::string_view::npos ? std::string_view() : diff.substr(end + 1);
        if (line.starts_with("@@")) {
            endRun();
            inHunk = true;
        } else if (!inHunk) {
            continue;
        } else if (line.starts_with('-'))
            ++removed;
        else if (line.starts_with('+'))
            ++added;
        else if (!line.starts_with('\\'))
            endRun();
    }
    endRun();
    return changed;
}
