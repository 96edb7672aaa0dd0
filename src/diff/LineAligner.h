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
//
// Given the numbers that are section headers (headers[number]), the headers
// are aligned first: the lines after a header kept, up to the next header,
// are aligned with those after the same header in b; sections of only one
// side are deleted or inserted whole, and where both sides have sections of
// their own between the same kept headers, those are aligned line by line.
// Where no header is kept, the lines are aligned as without headers.
std::vector<EditOp> alignLines(const std::vector<int>& a, const std::vector<int>& b,
                               const std::vector<bool>& headers = {});
