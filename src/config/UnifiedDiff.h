#pragma once

#include <string>
#include <string_view>

// The unified diff (---/+++/@@, context lines around each change) that turns
// before into after; empty when they are equal. Lines keep their own ends,
// LF or CR LF, so that patch applies the diff to the bytes as they stand; a
// last line without an end is marked "\ No newline at end of file".
//
// Lines unique to both sides anchor the alignment (patience diff); the
// stretches between anchors are aligned by longest common subsequence when
// small, and replaced whole otherwise, so the time stays near linear even
// when every line differs (an LF file against CR LF output).
std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view beforeLabel,
                        std::string_view afterLabel, std::size_t context = 3);

// The lines a unified diff changes: in each run of removed and added lines,
// the larger count (a line replaced is one change, not two).
std::size_t changedLines(std::string_view diff);
