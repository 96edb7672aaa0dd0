#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CConfiguration;

// What the reader saw in a file and will not give back as it was: the lines a
// save would drop or change. The reader collects them only when asked to;
// reading is the same either way.
enum class FindingKind {
    UnknownKey,     // a key line whose key its section does not know
    UnknownSection, // a section the configuration has no place for, with its key lines
    NotALine,       // neither header, key line, comment nor blank
    Comment,        // a comment line: the writer writes only its own banner
    ValueReplaced,  // a value read, and so saved, as something else
    Duplicate,      // a later section or key that overrides an earlier one
    // Found in the record after reading (FindReferenceWarnings):
    MissingHeader,     // a paper naming a header bitmap that does not exist
    IncompletePrinter, // a printer without address or queue
};

// The kind as the check prints it: "unknown-key", "value-replaced", ...
const char* FindingKindName(FindingKind kind);

struct Finding {
    std::size_t line = 0; // from 1
    FindingKind kind = FindingKind::NotALine;
    std::string text;      // what happens to the line, for the user
    std::string source;    // the line as read, without its line end
    std::size_t lines = 1; // file lines it stands for (a section with its key lines)
};

// Line numbers (from 1; 0 for none) of the lines that made each record: for
// every record its section header, then the last line that set each key of
// its table, in table order.
struct RecordLines {
    std::size_t stride = 0; // 1 + the number of keys
    std::vector<std::uint32_t> lines;

    std::uint32_t* For(std::size_t record)
    {
        if (lines.size() < (record + 1) * stride)
            lines.resize((record + 1) * stride, 0);
        return &lines[record * stride];
    }
    std::uint32_t Section(std::size_t record) const { return At(record, 0); }
    std::uint32_t Key(std::size_t record, std::size_t key) const { return At(record, key + 1); }

  private:
    std::uint32_t At(std::size_t record, std::size_t slot) const
    {
        const std::size_t i = record * stride + slot;
        return i < lines.size() ? lines[i] : 0;
    }
};

struct ReaderFindings {
    std::vector<Finding> items; // in line order
    RecordLines printers, papers, headers;
};

// The warnings about references between records that a server administrator
// wants to know of: a paper naming no existing header bitmap, a printer
// without address or queue, an AE title or paper name given twice (the first
// wins). Each points at the line that made it, as far as findings knows.
std::vector<Finding> FindReferenceWarnings(const CConfiguration& config, const ReaderFindings& findings);

// Whether a save loses what the line said: all kinds but duplicates (whose
// earlier value is not in effect anyway) and the reference warnings (which
// lose nothing).
bool LosesContent(FindingKind kind);

// The number of file lines whose content a save loses.
std::size_t LostLines(const std::vector<Finding>& findings);

// "line 12: TEXT [kind]".
std::string DescribeFinding(const Finding& finding);
