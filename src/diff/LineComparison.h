#pragma once

#include <functional>
#include <string_view>

// How an alignment compares lines and what it aligns first.
struct LineComparison {
    // Lines that differ only in their ends (LF, CR LF, none at the end of
    // a text) are equal; the script counts such changes of end apart
    // (EditScript::lineEnds).
    bool ignoreEnds = false;
    // Tells a line (without its end) that opens a section. The section
    // headers of both texts are aligned first, and the lines of each pair of
    // equal headers with each other: a section one text lacks is deleted or
    // inserted whole, its lines never taken for those of a neighbour.
    std::function<bool(std::string_view line)> isSectionHeader;
};
