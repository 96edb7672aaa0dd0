#pragma once

#include <string>
#include <string_view>

// The unified diff (---/+++/@@, context lines around each change) that turns
// before into after; empty when they are equal. Lines keep their own ends,
// LF or CR LF, so that patch applies the diff to the bytes as they stand; a
// last line without an end is marked "\ No newline at end of file".
//
// Both texts are aligned whole (alignLines, LineAligner.h); for texts too
// long to hold, see alignTexts and writeUnifiedDiff.
std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view beforeLabel,
                        std::string_view afterLabel, std::size_t context = 3);

// The lines a unified diff changes: in each run of removed and added lines,
// the larger count (a line replaced is one change, not two).
std::size_t changedLines(std::string_view diff);
