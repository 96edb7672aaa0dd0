#include "config/ConfigReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <type_traits>

#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/NumberText.h"
#include "config/ReaderFindings.h"
#include "config/Vocabulary.h"
#include "platform/FileErrors.h"
#include "platform/RegularFile.h"
#include "text/AsciiCase.h"

namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Whether text holds part, case ignored.
bool containsIgnoringAsciiCase(std::string_view text, std::string_view part)
{
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
        if (equalIgnoringAsciiCase(text.substr(i, part.size()), part))
            return true;
    return false;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;

// Whether a byte of word equals byte (exact: the borrow can point at the
// wrong byte, never at none or at a false one).
bool holdsByte(std::uint64_t word, char byte)
{
    const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(byte));
    return ((x - kOnes) & ~x & kHighs) != 0;
}

// Whether a byte of word is a control character (below 0x20); exact in the
// same way.
bool holdsControl(std::uint64_t word)
{
    return ((word - kOnes * 0x20) & ~word & kHighs) != 0;
}

bool isDropped(char c)
{
    return c == '\t' || c == '\n' || c == '\r';
}

// text without its tabs, carriage returns and line feeds, in scratch.
std::string_view withoutDropped(std::string_view text, std::string& scratch)
{
    scratch.clear();
    for (const char c : text)
        if (!isDropped(c))
            scratch += c;
    return scratch;
}

// A key line as read: where its first '=' is (npos for none), in line,
// which is the line itself or, when it holds tabs, carriage returns or line
// feeds, the line without them in scratch. One pass over the line, eight
// bytes at a time, looks for both; most lines hold a single '=' and no
// control character at all.
std::size_t findEquals(std::string_view& line, std::string& scratch)
{
    std::size_t equals = std::string_view::npos;
    const auto byte = [&](std::size_t i) {
        if (equals == std::string_view::npos && line[i] == '=')
            equals = i;
        return isDropped(line[i]);
    };
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= line.size(); i += 8) {
        std::memcpy(&word, line.data() + i, 8);
        const bool control = holdsControl(word);
        if (!control && (equals != std::string_view::npos || !holdsByte(word, '=')))
            continue;
        bool dropped = false;
        for (std::size_t k = i; k < i + 8; ++k)
            dropped = byte(k) || dropped;
        if (dropped)
            break;
    }
    for (; i < line.size(); ++i)
        if (byte(i)) {
            line = withoutDropped(line, scratch);
            return line.find('=');
        }
    return equals;
}

// text without its carriage returns, in scratch; text itself when it holds
// none (the common case, which costs no copy).
std::string_view withoutCarriageReturns(std::string_view text, std::string& scratch)
{
    if (text.find('\r') == std::string_view::npos)
        return text;
    scratch.clear();
    for (const char c : text)
        if (c != '\r')
            scratch += c;
    return scratch;
}

// The slot of def's field among the keys: its own position, or for an
// alias the position of the key it stands for.
template <typename Record> std::size_t fieldSlot(std::span<const KeyDef<Record>> keys, const KeyDef<Record>& def)
{
    const std::size_t own = static_cast<std::size_t>(&def - keys.data());
    if (!def.readOnly)
        return own;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!keys[i].readOnly && keys[i].type == def.type && keys[i].text == def.text && keys[i].number == def.number &&
            keys[i].real == def.real && keys[i].flag == def.flag)
            return i;
    return own;
}

template <typename Record> std::string writtenText(const KeyDef<Record>& def, const Record& record)
{
    std::string text;
    appendWrittenValue(text, def, record);
    return text;
}

PrinterRecord newReaderPrinter()
{
    PrinterRecord printer;
    printer.PrinterAETitle = "SAMPLE";
    printer.PrinterAddress = "localhost";
    printer.PrinterQueue = "queue";
    return printer;
}

} // namespace

ConfigReader::ConfigReader(Configuration& config, ReaderFindings* findings)
    : m_config(config), m_findings(findings), m_paperIndex(config.Papers), m_headerIndex(config.Headers)
{
    findGroupSections();
    if (!m_findings)
        return;
    m_findings->sections.clear();
    m_findings->printers.setKeys(printerKeys().size());
    m_findings->papers.setKeys(paperKeys().size());
    m_findings->headers.setKeys(headerKeys().size());
    for (const SectionDef& section : fileSections())
        m_findings->sections.emplace_back(1 + std::max(section.settingsKeys.size(), section.layoutKeys.size()), 0);
}

namespace {

// Cuts the chunks of a file into lines at LF; a CR right before the LF
// belongs to the line end. A line may span any number of chunks.
class LineSplitter {
  public:
    explicit LineSplitter(ConfigReader& reader) : m_reader(reader) {}

    void feed(std::string_view chunk)
    {
        while (!chunk.empty()) {
            const std::size_t lf = chunk.find('\n');
            if (lf == std::string_view::npos) {
                m_pending.append(chunk);
                return;
            }
            std::string_view line = chunk.substr(0, lf);
            if (!m_pending.empty()) {
                m_pending.append(line);
                line = m_pending;
            }
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            m_reader.dispatchLine(line);
            m_pending.clear();
            chunk.remove_prefix(lf + 1);
        }
    }

    void finish()
    {
        if (m_pending.empty())
            return;
        std::string_view line = m_pending;
        if (line.back() == '\r')
            line.remove_suffix(1);
        m_reader.dispatchLine(line);
    }

  private:
    ConfigReader& m_reader;
    std::string m_pending;
};

} // namespace

bool ConfigReader::readFile(const std::string& path, std::string& message, std::size_t chunkSize,
                            const std::function<void(std::string_view chunk)>& observe)
{
    // Out of memory fails the read like a file error; the lines read so far
    // stay applied.
    try {
        LineSplitter lines(*this);
        const bool read = readRegularFile(path, message, chunkSize, [&](std::string_view chunk) {
            m_encoding.feed(chunk);
            lines.feed(chunk);
            if (observe)
                observe(chunk);
        });
        if (read) {
            lines.finish();
            m_config.Encoding = m_encoding.encoding();
            finish();
        }
        return read;
    } catch (const std::bad_alloc&) {
        message = fileErrorMessage(ENOMEM, path);
        return false;
    }
}

void ConfigReader::readText(std::string_view text)
{
    m_encoding.feed(text);
    m_config.Encoding = m_encoding.encoding();
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        dispatchLine(line);
        if (lf == std::string_view::npos)
            break;
        text.remove_prefix(lf + 1);
    }
    finish();
}

void ConfigReader::dispatchLine(std::string_view line)
{
    ++m_line;
    m_source = line;
    if (line.empty())
        return;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (!line.empty() && line.front() == ';') {
        if (m_findings)
            noteComment(line);
        return;
    }
    if (!line.empty() && line.front() == '[') {
        readSectionHeader(line);
        return;
    }
    readKeyLine(line);
}

void ConfigReader::readSectionHeader(std::string_view rawLine)
{
    // A carriage return inside a header line cannot be written back (the
    // writer drops it from every text), so it is dropped before the line is
    // read: a header then reads back exactly as it was written.
    const std::string_view line = withoutCarriageReturns(rawLine, m_scratch);

    std::size_t level = 0;
    while (level < line.size() && level < 4 && line[level] == '[')
        ++level;
    if (level >= 4) {
        if (m_findings)
            note(FindingKind::NotALine, FindingText::FourBrackets);
        return;
    }
    std::string_view name = line.substr(level);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos)
        name = name.substr(0, close);
    if (m_findings) {
        closeSection();
        m_findings->settle(m_line);
    }
    (level == 3 ? m_blockName : level == 2 ? m_groupName : m_sectionName).assign(name);
    if (level > 1)
        findGroupSections();
    enterSection();
    if (m_findings) {
        m_headerLine = m_line;
        m_headerSource.assign(m_source);
        m_enteredByLevel1 = level == 1;
    }
}

// The sections under the current block and group names, in any case;
// looked up again only when one of those names changes, so that a run of
// level-1 headers under them costs no comparison of them.
void ConfigReader::findGroupSections()
{
    m_groupSections.clear();
    for (const SectionDef& section : fileSections())
        if (equalIgnoringAsciiCase(section.level3, m_blockName) && equalIgnoringAsciiCase(section.level2, m_groupName))
            m_groupSections.push_back(&section);
}

// Finds what the current section path names. Fixed names match in any case;
// paper and header sections take any level-1 name.
void ConfigReader::enterSection()
{
    m_section = nullptr;
    m_recordPosition = kNoRecord;
    m_nextKey = 0;
    m_keyLines = 0;
    m_entryNoted = false;
    m_entryLines = nullptr;
    for (const SectionDef* match : m_groupSections) {
        const SectionDef& section = *match;
        switch (section.kind) {
        case SectionKind::Settings:
        case SectionKind::Layout:
            if (!equalIgnoringAsciiCase(section.level1, m_sectionName))
                continue;
            break;
        case SectionKind::Printers: {
            if (!containsIgnoringAsciiCase(m_sectionName, kPrinterSectionPrefix))
                continue;
            // The number follows the first '-'; computed in 64 bits so that
            // "Printer-2147483648" cannot overflow.
            const std::string_view number = std::string_view(m_sectionName).substr(m_sectionName.find('-') + 1);
            m_printerPosition = static_cast<long long>(parseInteger(number)) - 1;
            break;
        }
        case SectionKind::Papers:
        case SectionKind::Headers:
            break;
        }
        m_section = &section;
        return;
    }
}

void ConfigReader::readKeyLine(std::string_view line)
{
    const std::size_t eq = findEquals(line, m_scratch);
    if (line.empty())
        return;
    if (eq == std::string_view::npos) {
        if (m_findings)
            note(FindingKind::NotALine, FindingText::NoEquals);
        return;
    }
    applyKey(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
}

void ConfigReader::applyKey(std::string_view key, std::string_view value)
{
    ++m_keyLines;
    if (!m_section) {
        if (m_findings)
            noteUnplacedLine();
        return;
    }
    switch (m_section->kind) {
    case SectionKind::Settings:
        apply(m_section->settingsKeys, m_config, key, value, fixedSectionLines());
        break;
    case SectionKind::Layout:
        apply(m_section->layoutKeys, m_config.Layout, key, value, fixedSectionLines());
        break;
    case SectionKind::Printers: {
        // One new printer per key line while the position lies beyond the
        // list, whether the key is known or not.
        PrinterList& printers = m_config.Printers;
        if (!printers.isValidIndex(m_printerPosition))
            printers.add(newReaderPrinter());
        PrinterRecord* printer = printers.at(m_printerPosition);
        if (!printer) {
            if (m_findings)
                noteUnplacedLine();
            break;
        }
        apply(printerKeys(), *printer, key, value,
              m_findings ? entryLines(m_findings->printers, static_cast<std::size_t>(m_printerPosition)) : nullptr);
        break;
    }
    case SectionKind::Papers:
        // The section's record exists from its first key line on, known or not.
        if (m_recordPosition == kNoRecord)
            m_recordPosition = m_paperIndex.findOrAdd(m_sectionName);
        apply(paperKeys(), *(m_config.Papers.begin() + static_cast<std::ptrdiff_t>(m_recordPosition)), key, value,
              m_findings ? entryLines(m_findings->papers, m_recordPosition) : nullptr);
        break;
    case SectionKind::Headers:
        if (m_recordPosition == kNoRecord)
            m_recordPosition = m_headerIndex.findOrAdd(m_sectionName);
        apply(headerKeys(), *(m_config.Headers.begin() + static_cast<std::ptrdiff_t>(m_recordPosition)), key, value,
              m_findings ? entryLines(m_findings->headers, m_recordPosition) : nullptr);
        break;
    }
}

// Applies the key's value when the table knows the key. m_nextKey is where
// the search starts and, after a match, the position after it.
template <typename Record>
void ConfigReader::apply(std::span<const KeyDef<Record>> keys, Record& record, std::string_view key,
                         std::string_view value, std::uint32_t* lines)
{
    const KeyDef<Record>* def = findKey(keys, key, m_nextKey);
    bool exact = true;
    // A key set again names the value it replaces.
    std::string replaced;
    if (def && m_findings && lines[1 + fieldSlot(keys, *def)] != 0)
        replaced = writtenText(*def, record);
    if (def) {
        readValue(*def, record, value, m_findings ? &exact : nullptr);
        m_nextKey = static_cast<std::size_t>(def - keys.data()) + 1;
    }
    if (!m_findings)
        return;
    // A clean line, the common case: a known key, read as written, met the
    // first time in a section already noted.
    if (def && exact && m_entryNoted && !def->readOnly && !def->written) {
        std::uint32_t& last = lines[1 + static_cast<std::size_t>(def - keys.data())];
        if (last == 0) {
            last = m_line;
            return;
        }
    }
    noteKey(keys, def, record, key, value, exact, lines, replaced);
}

// --- Findings of key lines ---------------------------------------------

template <typename Record>
void ConfigReader::noteKey(std::span<const KeyDef<Record>> keys, const KeyDef<Record>* def, const Record& record,
                           std::string_view key, std::string_view value, bool exact, std::uint32_t* lines,
                           const std::string& replaced)
{
    if (!m_entryNoted)
        noteNewSectionEntry(lines);
    if (!def && key.empty()) {
        // Read like any unknown key (it still makes the section's record).
        note(FindingKind::NotALine, FindingText::NoKey);
        return;
    }
    if (!def) {
        note(FindingKind::UnknownKey, FindingText::UnknownKey, {key, m_sectionName});
        return;
    }
    std::uint32_t& last = lines[1 + fieldSlot(keys, *def)];
    if (last != 0)
        note(FindingKind::Duplicate, FindingText::KeyReplaced,
             {def->key, replaced, std::to_string(last), std::to_string(m_line)});
    last = m_line;

    if (def->written) {
        if constexpr (std::is_same_v<Record, Configuration>) {
            // Checked at the end: what the writer writes may depend on the whole file.
            std::erase_if(m_writtenElsewhere, [def](const WrittenElsewhere& w) { return w.def == def; });
            m_writtenElsewhere.push_back({m_line, def, std::string(value), std::string(m_source)});
        }
        return;
    }
    if (!exact)
        note(FindingKind::ValueReplaced, FindingText::ValueReplaced, {value, def->key, writtenText(*def, record)});
}
