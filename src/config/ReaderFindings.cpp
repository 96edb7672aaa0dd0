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
    m_record.clear();
    putNumber(m_record, line);
    m_record += static_cast<char>(kind);
    m_record += static_cast<char>(text);
    putNumber(m_record, lines);
    putText(m_record, m_keepSources ? source : std::string_view());
    putNumber(m_record, arguments.size());
    for (const std::string_view argument : arguments)
        putText(m_record, argument);

    if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().size < m_record.size()) {
        Block block;
        block.capacity = std::max(kBlock, m_record.size());
        block.bytes = std::make_unique<char[]>(block.capacity);
        m_blocks.push_back(std::move(block));
    }
    Block& block = m_blocks.back();
    std::copy(m_record.begin(), m_record.end(), block.bytes.get() + block.size);
    block.size += m_record.size();
    ++m_count;
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

class VectorSource : public FindingSource {
  public:
    explicit VectorSource(const std::vector<Finding>& findings) : m_findings(findings) {}
    bool next(Finding& finding) override
    {
        if (m_next == m_findings.size())
            return false;
        finding = m_findings[m_next++];
        return true;
    }

  private:
    const std::vector<Finding>& m_findings;
    std::size_t m_next = 0;
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

namespace {

template <typename Record> std::size_t keyIndex(std::span<const KeyDef<Record>> keys, std::string_view key)
{
    return static_cast<std::size_t>(findKey(keys, key) - keys.data());
}

// The line of a record's key, or of its section when the key was not read.
std::uint32_t lineOf(const RecordLines& lines, std::size_t record, std::size_t key)
{
    const std::uint32_t line = lines.key(record, key);
    return line ? line : lines.section(record);
}

// The line that set a key of the sections read once, or of its section when
// the key was not read; 0 for none.
std::uint32_t settingLine(const ReaderFindings& findings, std::string_view key)
{
    const std::span<const SectionDef> sections = fileSections();
    for (std::size_t s = 0; s < sections.size() && s < findings.sections.size(); ++s) {
        const KeyDef<Configuration>* def = findKey(sections[s].settingsKeys, key);
        if (!def)
            continue;
        const std::vector<std::uint32_t>& lines = findings.sections[s];
        const std::size_t slot = 1 + static_cast<std::size_t>(def - sections[s].settingsKeys.data());
        return slot < lines.size() && lines[slot] ? lines[slot] : lines.empty() ? 0 : lines[0];
    }
    return 0;
}

} // namespace

namespace {

constexpr std::uint32_t kUnique = static_cast<std::uint32_t>(-1);

// For each of count names, kUnique, or the position of the first equal name
// before it; nameAt(k) gives the k-th. Sorted positions rather than hash
// tables: no name is copied, and positions of 32 bits sorted in place
// (equal names by position, as a stable sort would leave them, without its
// buffer), so a check of a large file needs little memory beside the record.
template <typename NameAt> std::vector<std::uint32_t> earlierEqual(std::size_t count, NameAt nameAt)
{
    std::vector<std::uint32_t> order(count);
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = static_cast<std::uint32_t>(k);
    std::sort(order.begin(), order.end(), [&nameAt](std::uint32_t a, std::uint32_t b) {
        const int compared = nameAt(a).compare(nameAt(b));
        return compared < 0 || (compared == 0 && a < b);
    });
    std::vector<std::uint32_t> earlier(count, kUnique);
    for (std::size_t k = 1; k < order.size(); ++k)
        if (nameAt(order[k]) == nameAt(order[k - 1]))
            earlier[order[k]] = earlier[order[k - 1]] == kUnique ? order[k - 1] : earlier[order[k - 1]];
    return earlier;
}

} // namespace

std::vector<Finding> findReferenceWarnings(const Configuration& config, const ReaderFindings& findings)
{
    std::vector<Finding> warnings;
    auto warn = [&warnings](std::uint32_t line, FindingKind kind, std::string text) {
        Finding finding;
        finding.line = line;
        finding.kind = kind;
        finding.text = std::move(text);
        warnings.push_back(std::move(finding));
    };

    // The ranges the editor keeps to, from the key table.
    const auto outside = [](int value, const ValueRule& rule) {
        return rule.accepted && (value < rule.accepted->low || value > rule.accepted->high);
    };
    const auto range = [](const ValueRule& rule) {
        return std::to_string(rule.accepted->low) + " to " + std::to_string(rule.accepted->high);
    };
    const ValueRule& port = ruleOf(&DicomSettings::Port);
    if (config.Port == 0)
        warn(settingLine(findings, "Port"), FindingKind::Port,
             "Port 0 lets the server listen on no fixed port; clients cannot reach it.");
    else if (outside(config.Port, port))
        warn(settingLine(findings, "Port"), FindingKind::Port,
             "Port " + std::to_string(config.Port) + " is outside " + range(port) +
                 ": the server cannot listen there.");
    if (const ValueRule& copies = ruleOf(&DicomSettings::Copies); outside(config.Copies, copies))
        warn(settingLine(findings, "Copies"), FindingKind::OutOfRange,
             "Copies " + std::to_string(config.Copies) + " is outside " + range(copies) + ".");
    // An empty server title is a fault of the check already.
    if (!config.ServerAETitle.empty())
        if (std::string problem = aeTitleProblem(config.ServerAETitle); !problem.empty())
            warn(settingLine(findings, "ServerAETitle"), FindingKind::AETitle, "server: " + problem);

    const std::size_t aeTitle = keyIndex(printerKeys(), "PrinterAETitle");
    const std::size_t address = keyIndex(printerKeys(), "PrinterAddress");
    const std::size_t queue = keyIndex(printerKeys(), "PrinterQueue");
    const std::vector<std::uint32_t> firstPrinter = earlierEqual(config.Printers.size(), [&config](std::size_t k) {
        return config.Printers.at(static_cast<std::ptrdiff_t>(k))->PrinterAETitle.view();
    });
    std::size_t i = 0;
    for (const PrinterRecord& printer : config.Printers) {
        auto name = [&] { return "printer " + std::to_string(i + 1) + " ('" + printer.PrinterAETitle + "')"; };
        if (printer.PrinterAddress.empty())
            warn(lineOf(findings.printers, i, address), FindingKind::IncompletePrinter,
                 name() + " has no address: the server cannot reach it");
        if (printer.PrinterQueue.empty())
            warn(lineOf(findings.printers, i, queue), FindingKind::IncompletePrinter,
                 name() + " has no queue: the server cannot print on it");
        if (std::string problem = aeTitleProblem(printer.PrinterAETitle); !problem.empty())
            warn(lineOf(findings.printers, i, aeTitle), FindingKind::AETitle,
                 "printer " + std::to_string(i + 1) + ": " + problem);
        if (firstPrinter[i] != kUnique)
            warn(lineOf(findings.printers, i, aeTitle), FindingKind::Duplicate,
                 "AE title '" + printer.PrinterAETitle + "' is also printer " + std::to_string(firstPrinter[i] + 1) +
                     "'s: clients reach only the first");
        ++i;
    }

    std::vector<std::string_view> headerNames;
    for (const HeaderRecord& header : config.Headers)
        headerNames.emplace_back(header.Name);
    std::sort(headerNames.begin(), headerNames.end());
    const std::vector<std::uint32_t> firstPaper = earlierEqual(config.Papers.size(), [&config](std::size_t k) {
        return config.Papers.at(static_cast<std::ptrdiff_t>(k))->Name.view();
    });
    const std::size_t headerName = keyIndex(paperKeys(), "HeaderName");
    i = 0;
    for (const PaperRecord& paper : config.Papers) {
        if (!paper.HeaderName.empty() &&
            !std::binary_search(headerNames.begin(), headerNames.end(), std::string_view(paper.HeaderName)))
            warn(lineOf(findings.papers, i, headerName), FindingKind::MissingHeader,
                 "paper size '" + paper.Name + "' names header bitmap '" + paper.HeaderName +
                     "', which does not exist");
        if (firstPaper[i] != kUnique)
            warn(findings.papers.section(i), FindingKind::Duplicate,
                 "paper size '" + paper.Name + "' is named twice: only the first is used");
        ++i;
    }
    return warnings;
}
