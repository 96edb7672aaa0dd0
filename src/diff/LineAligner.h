#pragma once

#include <cstdint>
#include <vector>

// One step of an edit script: a line kept, a line of the old text dropped,
// a line of the new text added.
enum class EditOp : std::uint8_t { Equal, Delete, Insert };

// Aligns two sequences of line numbers (equal lines have equal numbers) into
// an edit script that turns a into b.
//
// Lines unique to both sides anchor the alignment (patience diff); the
// stretches between anchors are aligned by longest common subsequence when
// small, and replaced whole otherwise, so the time stays near linear even
// when every line differs (an LF file against CR LF output).
std::vector<EditOp> alignLines(const std::vector<int>& a, const std::vector<int>& b);
