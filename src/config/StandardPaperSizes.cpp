#include "config/StandardPaperSizes.h"

namespace {

constexpr std::array<StandardPaperSize, kStandardPaperSizeCount> kTable = {{
    {"Comm 10 # Envelope", 297, 684},
    {"C5 Envelope", 461, 648},
    {"DL Envelope", 312, 624},
    {"Folio", 595, 935},
    {"Executive", 522, 756},
    {"Letter", 612, 792},
    {"Legal", 612, 1008},
    {"Ledger", 1224, 792},
    {"Tabloid", 792, 1224},
    {"A0", 2384, 3370},
    {"A1", 1684, 2384},
    {"A2", 1191, 1684},
    {"A3", 842, 1191},
    {"A4", 595, 842},
    {"A5", 420, 595},
    {"A6", 297, 420},
    {"A7", 210, 297},
    {"A8", 148, 210},
    {"A9", 105, 148},
    {"B0", 2920, 4127},
    {"B1", 2064, 2920},
    {"B2", 1460, 2064},
    {"B3", 1032, 1460},
    {"B4", 729, 1032},
    {"B5", 516, 729},
    {"B6", 363, 516},
    {"B7", 258, 363},
    {"B8", 181, 258},
    {"B9", 127, 181},
    {"B10", 91, 127},
}};

constexpr unsigned kFirstWithLabel = 3; // the three envelopes have none in the dialog

const StandardPaperSize* at(int position)
{
    // Treated as unsigned: -1 (nothing selected) is out of range.
    const auto index = static_cast<unsigned>(position);
    return index < kTable.size() ? &kTable[index] : nullptr;
}

} // namespace

const std::array<StandardPaperSize, kStandardPaperSizeCount>& standardPaperSizes()
{
    return kTable;
}

PaperSizeLookup lookupStandardPaperSizeForDialog(int position)
{
    PaperSizeLookup result;
    if (const StandardPaperSize* size = at(position)) {
        result.width = size->width;
        result.height = size->height;
        if (static_cast<unsigned>(position) >= kFirstWithLabel)
            result.label = size->name;
    }
    return result;
}

PaperSizeLookup lookupStandardPaperSizeForWizard(int position)
{
    PaperSizeLookup result;
    result.label = "[no format]";
    if (const StandardPaperSize* size = at(position)) {
        result.width = size->width;
        result.height = size->height;
        result.label = size->name;
    }
    return result;
}
