#include "config/ConfigReader.h"

#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>

#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/FileErrors.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Whether text holds part, case ignored.
bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part)
{
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
        if (EqualIgnoringAsciiCase(text.substr(i, part.size()), part))
            return true;
    return false;
}

// text without every character of drop, in scratch; text itself when it
// holds none of them (the common case, which costs no copy).
std::string_view Without(std::string_view text, bool (*drop)(char), std::string& scratch)
{
    std::size_t i = 0;
    while (i < text.size() && !drop(text[i]))
        ++i;
    if (i == text.size())
        return text;
    scratch.assign(text.substr(0, i));
    for (; i < text.size(); ++i)
        if (!drop(text[i]))
            scratch += text[i];
    return scratch;
}

bool IsCarriageReturn(char c)
{
    return c == '\r';
}

bool IsTabOrLineBreak(char c)
{
    return c == '\t' || c == '\n' || c == '\r';
}

template <typename Record> void ApplyValue(const KeyDef<Record>& def, Record& record, std::string_view value)
{
    switch (def.type) {
    case KeyType::Text:
        (record.*def.text).assign(value);
        break;
    case KeyType::Integer:
        record.*def.number = ParseInteger(value);
        break;
    case KeyType::Real:
        record.*def.real = ParseReal(value);
        break;
    case KeyType::YesNo:
        record.*def.flag = ParseYesNo(value, def.fallback);
        break;
    case KeyType::Word:
        record.*def.number = def.words->code(value);
        break;
    }
}

// Applies the key's value when the table knows the key. next is where the
// search starts and, after a match, the position after it.
template <typename Record>
void ApplyKey(std::span<const KeyDef<Record>> keys, Record& record, std::string_view key, std::string_view value,
              std::size_t& next)
{
    if (const KeyDef<Record>* def = FindKey(keys, key, next)) {
        ApplyValue(*def, record, value);
        next = static_cast<std::size_t>(def - keys.data()) + 1;
    }
}

sPrinter NewReaderPrinter()
{
    sPrinter printer;
    printer.PrinterAETitle = "SAMPLE";
    printer.PrinterAddress = "localhost";
    printer.PrinterQueue = "queue";
    return printer;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

template <typename List> FirstNameIndex<List>::FirstNameIndex(List& list) : m_list(list)
{
    m_slots.assign(16, 0);
    for (std::size_t i = 0; i < static_cast<std::size_t>(list.GetCount()); ++i)
        FindOrAddAt(NameAt(i), i);
}

template <typename List> const std::string& FirstNameIndex<List>::NameAt(std::size_t position) const
{
    return (m_list.begin() + static_cast<std::ptrdiff_t>(position))->Name;
}

template <typename List> std::size_t FirstNameIndex<List>::FindOrAdd(const std::string& name)
{
    return FindOrAddAt(name, static_cast<std::size_t>(m_list.GetCount()));
}

// Looks name up; when it is not there, records position for it and, when
// that is the end of the list, appends a record of that name.
template <typename List> std::size_t FirstNameIndex<List>::FindOrAddAt(const std::string& name, std::size_t position)
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = std::hash<std::string_view>()(name) & mask;
    for (; m_slots[slot] != 0; slot = (slot + 1) & mask) {
        const std::size_t found = m_slots[slot] - 1;
        if (NameAt(found) == name)
            return found;
    }
    if (position == static_cast<std::size_t>(m_list.GetCount())) {
        typename List::value_type record;
        record.Name = name;
        m_list.Add(record);
    }
    m_slots[slot] = static_cast<std::uint32_t>(position + 1);
    if (++m_count * 2 > m_slots.size())
        Grow();
    return position;
}

// Doubles the table; at most half of it is ever in use, so probes stay short.
template <typename List> void FirstNameIndex<List>::Grow()
{
    std::vector<std::uint32_t> old(m_slots.size() * 2, 0);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const std::uint32_t entry : old) {
        if (entry == 0)
            continue;
        std::size_t slot = std::hash<std::string_view>()(NameAt(entry - 1)) & mask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = entry;
    }
}

template class FirstNameIndex<CPaperList>;
template class FirstNameIndex<CHeaderList>;

ConfigReader::ConfigReader(CConfiguration& config)
    : m_config(config), m_paperIndex(config.Papers), m_headerIndex(config.Headers)
{
}

bool ConfigReader::ReadFile(const std::string& path, std::string& message)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        message = FileErrorMessage(errno, path);
        return false;
    }

    // Lines are cut at LF; a CR right before the LF belongs to the line end.
    // A line may span any number of buffer fills.
    std::string pending;
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got == 0) {
            if (std::ferror(file.get())) {
                message = FileErrorMessage(errno ? errno : EIO, path);
                return false;
            }
            break;
        }
        std::string_view chunk(buffer, got);
        while (!chunk.empty()) {
            const std::size_t lf = chunk.find('\n');
            if (lf == std::string_view::npos) {
                pending.append(chunk);
                break;
            }
            std::string_view line = chunk.substr(0, lf);
            if (!pending.empty()) {
                pending.append(line);
                line = pending;
            }
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            DispatchLine(line);
            pending.clear();
            chunk.remove_prefix(lf + 1);
        }
    }
    if (!pending.empty()) {
        std::string_view line = pending;
        if (line.back() == '\r')
            line.remove_suffix(1);
        DispatchLine(line);
    }
    return true;
}

void ConfigReader::ReadText(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        DispatchLine(line);
        if (lf == std::string_view::npos)
            break;
        text.remove_prefix(lf + 1);
    }
}

void ConfigReader::DispatchLine(std::string_view line)
{
    if (line.empty())
        return;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (!line.empty() && line.front() == ';')
        return;
    if (!line.empty() && line.front() == '[') {
        ReadSectionHeader(line);
        return;
    }
    ReadKeyLine(line);
}

void ConfigReader::ReadSectionHeader(std::string_view rawLine)
{
    // A carriage return inside a header line cannot be written back (the
    // writer drops it from every text), so it is dropped before the line is
    // read: a header then reads back exactly as it was written.
    const std::string_view line = Without(rawLine, IsCarriageReturn, m_scratch);

    std::size_t level = 0;
    while (level < line.size() && level < 4 && line[level] == '[')
        ++level;
    if (level >= 4)
        return;
    std::string_view name = line.substr(level);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos)
        name = name.substr(0, close);
    (level == 3 ? m_level3 : level == 2 ? m_level2 : m_level1).assign(name);
    EnterSection();
}

// Finds what the current section path names. Fixed names match in any case;
// paper and header sections take any level-1 name.
void ConfigReader::EnterSection()
{
    m_section = nullptr;
    m_recordPosition = kNoRecord;
    m_nextKey = 0;
    for (const SectionDef& section : FileSections()) {
        if (!EqualIgnoringAsciiCase(section.level3, m_level3) || !EqualIgnoringAsciiCase(section.level2, m_level2))
            continue;
        switch (section.kind) {
        case SectionKind::Settings:
        case SectionKind::Layout:
            if (!EqualIgnoringAsciiCase(section.level1, m_level1))
                continue;
            break;
        case SectionKind::Printers: {
            if (!ContainsIgnoringAsciiCase(m_level1, kPrinterSectionPrefix))
                continue;
            // The number follows the first '-'; computed in 64 bits so that
            // "Printer-2147483648" cannot overflow.
            const std::string_view number = std::string_view(m_level1).substr(m_level1.find('-') + 1);
            m_printerPosition = static_cast<long long>(ParseInteger(number)) - 1;
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

void ConfigReader::ReadKeyLine(std::string_view line)
{
    line = Without(line, IsTabOrLineBreak, m_scratch);
    const std::size_t eq = line.find('=');
    if (line.empty() || eq == std::string_view::npos)
        return;
    ApplyKey(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
}

void ConfigReader::ApplyKey(std::string_view key, std::string_view value)
{
    if (!m_section)
        return;
    switch (m_section->kind) {
    case SectionKind::Settings:
        ::ApplyKey(m_section->settingsKeys, m_config, key, value, m_nextKey);
        break;
    case SectionKind::Layout:
        ::ApplyKey(m_section->layoutKeys, m_config.Layout, key, value, m_nextKey);
        break;
    case SectionKind::Printers: {
        // One new printer per key line while the position lies beyond the
        // list, whether the key is known or not.
        CPrinterList& printers = m_config.Printers;
        if (!printers.IsValidIndex(m_printerPosition))
            printers.Add(NewReaderPrinter());
        if (sPrinter* printer = printers.GetAt(m_printerPosition))
            ::ApplyKey(PrinterKeys(), *printer, key, value, m_nextKey);
        break;
    }
    case SectionKind::Papers:
        // The section's record exists from its first key line on, known or not.
        if (m_recordPosition == kNoRecord)
            m_recordPosition = m_paperIndex.FindOrAdd(m_level1);
        ::ApplyKey(PaperKeys(), *(m_config.Papers.begin() + static_cast<std::ptrdiff_t>(m_recordPosition)), key, value,
                   m_nextKey);
        break;
    case SectionKind::Headers:
        if (m_recordPosition == kNoRecord)
            m_recordPosition = m_headerIndex.FindOrAdd(m_level1);
        ::ApplyKey(HeaderKeys(), *(m_config.Headers.begin() + static_cast<std::ptrdiff_t>(m_recordPosition)), key,
                   value, m_nextKey);
        break;
    }
}
