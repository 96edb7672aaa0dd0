#pragma once

#include <array>
#include <string>

// The thirty standard paper formats, sizes in points, in table order: a
// position in a drop-down list of them is a table position.
struct StandardPaperSize {
    const char* name;
    int width;
    int height;
};

inline constexpr std::size_t kStandardPaperSizeCount = 30;
const std::array<StandardPaperSize, kStandardPaperSizeCount>& StandardPaperSizes();

struct PaperSizeLookup {
    int width = 0;
    int height = 0;
    std::string label;
};

// The "Standard Paper Size" dialog's rule: envelopes have no paper label;
// out of range (negative included) gives 0, 0 and an empty label.
PaperSizeLookup LookupStandardPaperSizeForDialog(int position);
// The wizard's rule: the label is always the format's name; out of range
// gives 0, 0 and "[no format]".
PaperSizeLookup LookupStandardPaperSizeForWizard(int position);
