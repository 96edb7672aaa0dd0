#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/FirstNameIndex.h"
#include "config/RecordLists.h"

#include "config/ReaderFindings.h"
#include "config/TextEncoding.h"

class Configuration;
struct SectionDef;
struct ReaderFindings;
class RecordLines;
enum class FindingKind;
template <typename Record> struct KeyDef;

// The line-at-a-time reader that ConfigReader replaced, kept beside it so
// that the differential test and fuzz target can hold the two to the same
// records, findings and saved bytes. Same interface and behaviour as
// ConfigReader.
class ChunkedConfigReader {
  public:
    explicit ChunkedConfigReader(Configuration& config, ReaderFindings* findings = nullptr);

    // Reads a regular file (or /dev/null, as empty) in chunks of chunkSize
    // bytes. Fails with the message for a file error, a pipe or device, or
    // running out of memory; lines read before a failure stay applied.
    // Given observe, also hands it each chunk as read, so that a caller can
    // take note of the bytes without reading them again.
    static constexpr std::size_t kChunkSize = 64 * 1024;
    bool readFile(const std::string& path, std::string& message, std::size_t chunkSize = kChunkSize,
                  const std::function<void(std::string_view chunk)>& observe = {});

    // Applies a whole text (LF or CR LF line ends) as if read from a file.
    void readText(std::string_view text);

    // Applies one line, without its line end (the file reading cuts them).
    void dispatchLine(std::string_view line);

  private:
    void finish();
    void readSectionHeader(std::string_view line);
    void readKeyLine(std::string_view line);
    void findGroupSections();
    void enterSection();
    void applyKey(std::string_view key, std::string_view value);
    template <typename Record>
    void apply(std::span<const KeyDef<Record>> keys, Record& record, std::string_view key, std::string_view value,
               std::uint32_t* lines);

    // Findings only.
    // A finding on the line being read.
    void note(FindingKind kind, FindingText text, std::initializer_list<std::string_view> arguments = {});
    void noteComment(std::string_view line);
    void noteUnplacedLine();
    void noteNewSectionEntry(std::uint32_t* lines);
    template <typename Record>
    void noteKey(std::span<const KeyDef<Record>> keys, const KeyDef<Record>* def, const Record& record,
                 std::string_view key, std::string_view value, bool exact, std::uint32_t* lines,
                 const std::string& replaced);
    void closeSection();
    std::uint32_t* fixedSectionLines();
    std::uint32_t* entryLines(RecordLines& lines, std::size_t record);

    Configuration& m_config;
    EncodingDetector m_encoding;
    ReaderFindings* m_findings;

    // The current section path as written: the names in the last headers
    // of each level, "[[[DICOM]]]", "[[TCPIP]]" and "[Server]". Then what it
    // names: the table's sections under that block and group, a section of
    // the key tables (nullptr for none), the printer position of a
    // "Printer-n" section, the list position of a paper or header section's
    // record once a key line has met it.
    std::string m_blockName, m_groupName, m_sectionName;
    std::vector<const SectionDef*> m_groupSections;
    const SectionDef* m_section = nullptr;
    long long m_printerPosition = -1;
    std::size_t m_recordPosition = kNoRecord;
    std::size_t m_nextKey = 0; // where the next key lookup starts
    static constexpr std::size_t kNoRecord = static_cast<std::size_t>(-1);

    std::string m_scratch; // a line without its tabs and carriage returns

    FirstNameIndex<PaperList> m_paperIndex;
    FirstNameIndex<HeaderList> m_headerIndex;

    // For findings: the line being read, and the current entry into a
    // section (from its header to the next).
    std::uint32_t m_line = 0;
    std::string_view m_source;
    std::uint32_t m_headerLine = 0; // 0 before the first header
    std::string m_headerSource;
    bool m_enteredByLevel1 = false;
    bool m_entryNoted = false;
    std::uint32_t* m_entryLines = nullptr;
    std::size_t m_keyLines = 0;
    struct WrittenElsewhere {
        std::uint32_t line;
        const KeyDef<Configuration>* def;
        std::string value;
        std::string source;
    };
    std::vector<WrittenElsewhere> m_writtenElsewhere;
};
