#include "config/ReaderFindings.h"

#include <algorithm>
#include <string_view>

#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"

const char* findingKindName(FindingKind kind)
{
    switch (kind) {
    case FindingKind::UnknownKey:
        return "unknown-key";
    case FindingKind::UnknownSection:
        return "unknown-section";
    case FindingKind::NotALine:
        return "not-a-line";
    case FindingKind::Comment:
        return "comment";
    case FindingKind::ValueReplaced:
        return "value-replaced";
    case FindingKind::Duplicate:
        return "duplicate";
    case FindingKind::MissingHeader:
        return "missing-header";
    case FindingKind::IncompletePrinter:
        return "incomplete-printer";
    case FindingKind::AETitle:
        return "ae-title";
    case FindingKind::Port:
        return "port";
    case FindingKind::OutOfRange:
        return "out-of-range";
    }
    return "unknown";
}

bool losesContent(FindingKind kind)
{
    switch (kind) {
    case FindingKind::UnknownKey:
    case FindingKind::UnknownSection:
    case FindingKind::NotALine:
    case FindingKind::Comment:
    case FindingKind::ValueReplaced:
    case FindingKind::Duplicate:
        return true;
    case FindingKind::MissingHeader:
    case FindingKind::IncompletePrinter:
    case FindingKind::AETitle:
    case FindingKind::Port:
    case FindingKind::OutOfRange:
        return false;
    }
    return false;
}

std::size_t lostLines(const ReaderFindings& findings)
{
    std::size_t lines = 0;
    findings.forEach([&lines](const Finding& finding) {
        if (losesContent(finding.kind))
            lines += finding.lines;
    });
    return lines;
}

// --- Compact findings ----------------------------------------------------------

namespace {

const char* templateOf(FindingText text)
{
    switch (text) {
    case FindingText::FourBrackets:
        return "four or more '[' make no section header: the line is ignored";
    case FindingText::NoEquals:
        return "neither a section header nor a key line (no '='): the line is ignored";
    case FindingText::Comment:
        return "a comment: a save keeps only its own banner";
    case FindingText::NoPrinterYet:
        return "[%1] has no printer %2 yet: this line adds a printer with default values instead of being applied";
    case FindingText::KeyBeforeHeader:
        return "a key line before any section header: the line is ignored";
    case FindingText::SectionAgain:
        return "section [%1] appears again (first on line %2): its keys apply to the same one, and a save writes "
               "them there";
    case FindingText::NoKey:
        return "no key before '=': the line is ignored";
    case FindingText::UnknownKey:
        return "unknown key '%1' in section [%2]: a save drops the line";
    case FindingText::KeyReplaced:
        return "%1 = %2 on line %3 is replaced by line %4";
    case FindingText::ValueReplaced:
        return "value '%1' of %2 is read, and saved, as '%3'";
    case FindingText::NoPrinterSection:
        return "section [%1] names no printer: a save drops it%2";
    case FindingText::UnknownSection:
        return "section [[[%1]]] [[%2]] [%3] is not part of the configuration: a save drops it%4";
    case FindingText::NoKeyLineSection:
        return "section [%1] holds no key line: no record is made of it, and a save drops it";
    case FindingText::WrittenByTheWriter:
        return "value '%1' of %2 is saved as '%3': the writer writes its own value for this key";
    }
    return "";
}

void putNumber(std::string& out, std::size_t number)
{
    for (; number >= 0x80; number >>= 7)
        out += static_cast<char>(0x80 | (number & 0x7f));
    out += static_cast<char>(number);
}

std::size_t takeNumber(const char*& at)
{
    std::size_t number = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        number |= static_cast<std::size_t>(byte & 0x7f) << shift;
        if (byte < 0x80)
            return number;
    }
}

void putText(std::string& out, std::string_view text)
{
    putNumber(out, text.size());
    out += text;
}

std::string_view takeText(const char*& at)
{
    const std::size_t size = takeNumber(at);
    const std::string_view text(at, size);
    at += size;
    return text;
}

} // namespace

// A finding is packed as: line, kind, text, lines, source, the number of
// arguments and each argument; numbers in 7-bit groups, texts after their
// length.
void FindingList::add(FindingKind kind, FindingText text, std::uint32_t line, std::string_view source,
                      std::size_t lines, std::initializer_list<std::string_view> arguments)
{
    if (m_overflowed)
        return;
    m_record.clear();
    putNumber(m_record, line);
    m_record += static_cast<char>(kind);
    m_record += static_cast<char>(text);
    putNumber(m_record, lines);
    putText(m_record, m_keepSources ? source : std::string_view());
    putNumber(m_record, arguments.size());
    for (const std::string_view argument : arguments)
        putText(m_record, argument);
    if (m_record.size() > m_limit - m_bytes) {
        clear();
        m_overflowed = true;
        return;
    }

    if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().size < m_record.size()) {
        Block block;
        block.capacity = std::max(kBlock, m_record.size());
        block.bytes = std::make_unique<char[]>(block.capacity);
        m_blocks.push_back(std::move(block));
    }
    Block& block = m_blocks.back();
    std::copy(m_record.begin(), m_record.end(), block.bytes.get() + block.size);
    block.size += m_record.size();
    m_bytes += m_record.size();
    ++m_count;
}

void FindingList::clear()
{
    m_blocks.clear();
    m_count = 0;
    m_bytes = 0;
}

bool FindingList::Reader::next(Finding& finding)
{
    while (m_block < m_list->m_blocks.size() && m_offset == m_list->m_blocks[m_block].size) {
        ++m_block;
        m_offset = 0;
    }
    if (m_block == m_list->m_blocks.size())
        return false;
    const char* const start = m_list->m_blocks[m_block].bytes.get() + m_offset;
    const char* at = start;
    finding.line = takeNumber(at);
    finding.kind = static_cast<FindingKind>(*at++);
    const auto text = static_cast<FindingText>(*at++);
    finding.lines = takeNumber(at);
    finding.source.assign(takeText(at));
    m_arguments.resize(takeNumber(at));
    for (std::string_view& argument : m_arguments)
        argument = takeText(at);
    m_offset += static_cast<std::size_t>(at - start);

    finding.text.clear();
    std::string_view pattern = templateOf(text);
    for (std::size_t mark; (mark = pattern.find('%')) != std::string_view::npos;) {
        finding.text += pattern.substr(0, mark);
        const std::size_t k = mark + 1 < pattern.size() ? static_cast<std::size_t>(pattern[mark + 1] - '1') : 0;
        finding.text += m_arguments.at(k);
        pattern.remove_prefix(mark + 2);
    }
    finding.text += pattern;
    return true;
}

namespace {

// One run of findings in line order, handed out one at a time.
class FindingSource {
  public:
    virtual ~FindingSource() = default;
    virtual bool next(Finding& finding) = 0;
};

class ListSource : public FindingSource {
  public:
    explicit ListSource(const FindingList& list) : m_reader(list) {}
    bool next(Finding& finding) override { return m_reader.next(finding); }

  private:
    FindingList::Reader m_reader;
};

// The findings of a vector from begin up to end.
class VectorSource : public FindingSource {
  public:
    VectorSource(const std::vector<Finding>& findings, std::size_t begin, std::size_t end)
        : m_findings(findings), m_next(begin), m_end(end)
    {
    }
    explicit VectorSource(const std::vector<Finding>& findings) : VectorSource(findings, 0, findings.size()) {}
    bool next(Finding& finding) override
    {
        if (m_next == m_end)
            return false;
        finding = m_findings[m_next++];
        return true;
    }

  private:
    const std::vector<Finding>& m_findings;
    std::size_t m_next, m_end;
};

// Visits the findings of several runs as one run in line order: a linear
// merge. On the same line an earlier run's come first.
void forEachInLineOrder(std::span<FindingSource* const> runs, const std::function<void(const Finding&)>& visit)
{
    std::vector<Finding> heads(runs.size());
    std::vector<bool> live(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r)
        live[r] = runs[r]->next(heads[r]);
    for (;;) {
        std::size_t first = runs.size();
        for (std::size_t r = 0; r < runs.size(); ++r)
            if (live[r] && (first == runs.size() || heads[r].line < heads[first].line))
                first = r;
        if (first == runs.size())
            return;
        visit(heads[first]);
        live[first] = runs[first]->next(heads[first]);
    }
}

} // namespace

void ReaderFindings::forEach(const std::function<void(const Finding&)>& visit, std::vector<Finding> also) const
{
    sortByLine(also);
    ListSource read(items), sectionEnd(sectionEnds), end(fileEnd);
    VectorSource more(also);
    FindingSource* const runs[] = {&read, &sectionEnd, &end, &more};
    forEachInLineOrder(runs, visit);
}

void ReaderFindings::stream(std::function<void(const Finding&)> visit, std::vector<Finding> also)
{
    m_visit = std::move(visit);
    sortByLine(also);
    m_also = std::move(also);
    m_alsoNext = 0;
    fileEnd.keepAtMost(0);
}

// Every finding kept lies before line, and every one still to come at or
// after it: those kept and those of also before line are a run of their own.
void ReaderFindings::handOutBefore(std::size_t line)
{
    std::size_t alsoEnd = m_alsoNext;
    while (alsoEnd < m_also.size() && m_also[alsoEnd].line < line)
        ++alsoEnd;
    ListSource read(items), sectionEnd(sectionEnds);
    VectorSource more(m_also, m_alsoNext, alsoEnd);
    FindingSource* const runs[] = {&read, &sectionEnd, &more};
    forEachInLineOrder(runs, m_visit);
    m_alsoNext = alsoEnd;
    items.clear();
    sectionEnds.clear();
}

std::vector<Finding> ReaderFindings::all(std::vector<Finding> also) const
{
    std::vector<Finding> found;
    found.reserve(size() + also.size());
    forEach([&found](const Finding& finding) { found.push_back(finding); }, std::move(also));
    return found;
}

void sortByLine(std::vector<Finding>& findings)
{
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

std::string describeFinding(const Finding& finding)
{
    return "line " + std::to_string(finding.line) + ": " + finding.text + " [" + findingKindName(finding.kind) + "]";
}
