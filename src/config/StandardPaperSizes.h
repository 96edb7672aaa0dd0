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
const std::array<StandardPaperSize, kStandardPaperSizeCount>& standardPaperSizes();

struct PaperSizeLookup {
    int width = 0;
    int height = 0;
    std::string label;
};

// For the "Standard Paper Size" dialog, which fills a paper's label: an
// envelope is fed by hand, so it names no tray and gets no paper label. Out
// of range (negative included) gives 0, 0 and an empty label.
PaperSizeLookup lookupStandardPaperSizeForDialog(int position);
// For the wizard, which names the paper after its format in the paper's
// description: the label is always the format's name; out of range gives
// 0, 0 and "[no format]".
PaperSizeLookup lookupStandardPaperSizeForWizard(int position);
