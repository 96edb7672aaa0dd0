#pragma once

#include <string>
#include <string_view>

#include "diff/LineComparison.h"
#include "diff/LineEnds.h"

// The unified diff (---/+++/@@, context lines around each change) that turns
// before into after; empty when they are equal. Lines keep their own ends,
// LF or CR LF, so that patch applies the diff to the bytes as they stand; a
// last line without an end is marked "\ No newline at end of file".
//
// Both texts are aligned whole (alignLines, LineAligner.h); for texts too
// long to hold, see alignTexts and writeUnifiedDiff.
std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view beforeLabel,
                        std::string_view afterLabel, std::size_t context = 3);

// The unified diff as above, of lines compared as comparison says, and the
// changes of line end it leaves out when it ignores them. Lines kept or
// removed are written as before has them, so that patch still applies the
// diff to before (what it adds keeps after's ends).
struct TextDiff {
    std::string diff;
    LineEndChanges lineEnds;
};
TextDiff diffTexts(std::string_view before, std::string_view after, std::string_view beforeLabel,
                   std::string_view afterLabel, const LineComparison& comparison, std::size_t context = 3);

// "Line endings change: LF -> CR LF, 212 lines" and a line end: the line a
// diff that leaves changes of line end out begins with, before its "---"
// (where patch passes over it); empty when no line end changes.
std::string lineEndNote(const LineEndChanges& changes);

// The lines a unified diff changes: in each run of removed and added lines,
// the larger count (a line replaced is one change, not two).
std::size_t changedLines(std::string_view diff);
