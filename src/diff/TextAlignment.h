#pragma once

#include <cstddef>
#include <cstdint>

#include "diff/EditScript.h"
#include "diff/LineComparison.h"
#include "diff/TextPieces.h"

class LinePresence;

// How much of the texts an alignment holds at a time, and what helps it
// where that is too little to tell.
struct AlignmentWindow {
    std::size_t bytes = SIZE_MAX; // of each text; at least one line
    // All lines of before, and of after: where the windows hold no common
    // line, the side whose lines the other text lacks is the one that
    // moves on (a long deletion or insertion). Without them both do.
    const LinePresence* beforeLines = nullptr;
    const LinePresence* afterLines = nullptr;
};

// The edit script that turns the text before into the text after, lines
// with their ends, each text read once from its source.
//
// A window of each text is aligned at a time (alignLines); the script is
// kept up to an equal line about halfway through a window, where the
// windows ahead still back the alignment, and the windows move on. When
// both texts fit in their windows, the script is alignLines' own.
//
// Lines are compared, and sections aligned first, as comparison says; when
// it ignores line ends, the script counts the equal lines whose end changes.
EditScript alignTexts(const TextSource& before, const TextSource& after, const AlignmentWindow& window = {},
                      const LineComparison& comparison = {});
