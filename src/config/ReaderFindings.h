#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class Configuration;

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
    AETitle,           // an AE title DICOM cannot carry
    Port,              // a server port no client can reach
    OutOfRange,        // a setting outside the range the editor accepts
};

// The kind as the check prints it: "unknown-key", "value-replaced", ...
const char* findingKindName(FindingKind kind);

struct Finding {
    std::size_t line = 0; // from 1
    FindingKind kind = FindingKind::NotALine;
    std::string text;      // what happens to the line, for the user
    std::string source;    // the line as read, without its line end
    std::size_t lines = 1; // file lines it stands for (a section with its key lines)
};

// The texts of the reader's findings; %1 to %4 stand for its arguments.
enum class FindingText : std::uint8_t {
    FourBrackets,       // four or more '[' ...
    NoEquals,           // neither a section header nor a key line ...
    Comment,            // a comment ...
    NoPrinterYet,       // [%1] has no printer %2 yet ...
    KeyBeforeHeader,    // a key line before any section header ...
    SectionAgain,       // section [%1] appears again (first on line %2) ...
    NoKey,              // no key before '=' ...
    UnknownKey,         // unknown key %1 in section [%2] ...
    KeyReplaced,        // %1 = %2 on line %3 is replaced by line %4
    ValueReplaced,      // value %1 of %2 is read, and saved, as %3
    NoPrinterSection,   // section [%1] names no printer: a save drops it%2
    UnknownSection,     // section [[[%1]]] [[%2]] [%3] is not part of the configuration ...
    NoKeyLineSection,   // section [%1] holds no key line ...
    WrittenByTheWriter, // value %1 of %2 is saved as %3 ...
};

// Findings of one run in line order, kept compactly: each as its kind, line,
// source and the arguments of its text, packed one after the other into
// blocks of bytes; the text is made only when the finding is visited. A file
// with a finding on every line so needs about the room of its sources, not
// of a string object and a whole sentence per line.
class FindingList {
  public:
    void add(FindingKind kind, FindingText text, std::uint32_t line, std::string_view source, std::size_t lines,
             std::initializer_list<std::string_view> arguments = {});

    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

    // Whether findings keep their source; without, it is left empty, for a
    // caller that reads the lines again when it needs them.
    void keepSources(bool keep) { m_keepSources = keep; }

    // Keeps at most about bytes of packed findings: the first finding that
    // would go beyond drops them all, and later ones are dropped as made.
    void keepAtMost(std::size_t bytes) { m_limit = bytes; }
    bool overflowed() const { return m_overflowed; }
    // The room the findings take.
    std::size_t bytes() const { return m_bytes; }
    // Forgets every finding (but not that some were dropped).
    void clear();

    // Hands out the findings in order, one at a time.
    class Reader {
      public:
        explicit Reader(const FindingList& list) : m_list(&list) {}
        // The next finding into finding; false after the last.
        bool next(Finding& finding);

      private:
        const FindingList* m_list;
        std::size_t m_block = 0, m_offset = 0;
        std::vector<std::string_view> m_arguments;
    };

  private:
    static constexpr std::size_t kBlock = 64 * 1024;
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0, capacity = 0;
    };
    std::vector<Block> m_blocks;
    std::string m_record; // the finding being packed
    std::size_t m_count = 0;
    std::size_t m_bytes = 0;
    std::size_t m_limit = static_cast<std::size_t>(-1);
    bool m_overflowed = false;
    bool m_keepSources = true;
};

// Line numbers (from 1; 0 for none) of the lines that made each record: for
// every record its section header, then the last line that set each key of
// its table, in table order. Kept in blocks of records, so that growing
// never copies what is there (and a large file needs no room twice).
class RecordLines {
  public:
    void setKeys(std::size_t keys) { m_stride = 1 + keys; }

    // The lines of a record, made (all 0) when it has none yet. The place
    // stays valid while the object lives.
    std::uint32_t* linesFor(std::size_t record)
    {
        const std::size_t block = record / kBlock;
        while (m_blocks.size() <= block)
            m_blocks.push_back(std::make_unique<std::uint32_t[]>(kBlock * m_stride));
        return &m_blocks[block][(record % kBlock) * m_stride];
    }
    std::uint32_t section(std::size_t record) const { return at(record, 0); }
    std::uint32_t key(std::size_t record, std::size_t key) const { return at(record, key + 1); }

  private:
    static constexpr std::size_t kBlock = 1024;

    std::uint32_t at(std::size_t record, std::size_t slot) const
    {
        const std::size_t block = record / kBlock;
        return block < m_blocks.size() ? m_blocks[block][(record % kBlock) * m_stride + slot] : 0;
    }

    std::size_t m_stride = 1;
    std::vector<std::unique_ptr<std::uint32_t[]>> m_blocks;
};

struct ReaderFindings {
    // Each run in line order: the findings made as the lines are read, those
    // made when a section ends (at its header's line), and those made when
    // the file ends (at most one per key the writer writes its own value of).
    FindingList items, sectionEnds, fileEnd;

    std::size_t size() const { return items.size() + sectionEnds.size() + fileEnd.size(); }
    void keepSources(bool keep)
    {
        for (FindingList* list : {&items, &sectionEnds, &fileEnd})
            list->keepSources(keep);
    }
    bool empty() const { return size() == 0; }
    // Visits every finding in line order, the runs merged (on one line in
    // the order above), and with them the findings of also (the reference
    // warnings), after the others of a line.
    void forEach(const std::function<void(const Finding&)>& visit, std::vector<Finding> also = {}) const;
    // The same, made at once: for small files.
    std::vector<Finding> all(std::vector<Finding> also = {}) const;

    // For a file with more findings than should be held at once: keeps at
    // most about bytes of those made as lines are read and as sections end
    // (each run); beyond, drops them, and overflowed() says so.
    void keepAtMost(std::size_t bytes)
    {
        items.keepAtMost(bytes);
        sectionEnds.keepAtMost(bytes);
    }
    bool overflowed() const { return items.overflowed() || sectionEnds.overflowed(); }

    // Instead of keeping them, hands the findings to visit while the lines
    // are read, in the order forEach(visit, also) would: the reader calls
    // settle() at each section header, when no finding still to come lies
    // before that line, and the caller endStream() after the reading. The
    // findings made when the file ends are not made: also holds them, from
    // an earlier reading of the same bytes, before the other warnings.
    void stream(std::function<void(const Finding&)> visit, std::vector<Finding> also);
    void settle(std::size_t line)
    {
        if (m_visit && items.bytes() + sectionEnds.bytes() >= kStreamBlock)
            handOutBefore(line);
    }
    void endStream() { handOutBefore(static_cast<std::size_t>(-1)); }

    RecordLines printers, papers, headers;
    // The sections read once (settings, layout), per entry of fileSections():
    // their header's line, then the last line that set each key of its table.
    std::vector<std::vector<std::uint32_t>> sections;

  private:
    // Findings are handed out in blocks of about this many bytes.
    static constexpr std::size_t kStreamBlock = 256 * 1024;
    void handOutBefore(std::size_t line);

    std::function<void(const Finding&)> m_visit;
    std::vector<Finding> m_also;
    std::size_t m_alsoNext = 0;
};

// The warnings about the record that a server administrator wants to know
// of: a port no client can reach, a paper naming no existing header bitmap,
// a printer without address or queue, an AE title or paper name given twice
// (the first wins), an AE title DICOM cannot carry (the server's, when it
// has one, and each printer's). Each points at the line that made it, as
// far as findings knows.
std::vector<Finding> findReferenceWarnings(const Configuration& config, const ReaderFindings& findings);

// Whether a save loses what the line said, for the reader's findings: every
// kind (a duplicate's earlier line is dropped too) but the warnings about the
// record, which lose nothing.
bool losesContent(FindingKind kind);

// The number of file lines whose content a save loses.
std::size_t lostLines(const ReaderFindings& findings);

// Puts findings in line order, keeping the order of those on one line.
void sortByLine(std::vector<Finding>& findings);

// "line 12: TEXT [kind]".
std::string describeFinding(const Finding& finding);
