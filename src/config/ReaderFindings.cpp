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
        return false;
    }
    return false;
}

std::size_t lostLines(const std::vector<Finding>& findings)
{
    std::size_t lines = 0;
    for (const Finding& finding : findings)
        if (losesContent(finding.kind))
            lines += finding.lines;
    return lines;
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

constexpr std::size_t kUnique = static_cast<std::size_t>(-1);

// For each name, kUnique, or the position of the first equal name before
// it. Sorted views rather than hash tables: no name is copied, so a check of
// a large file needs little memory beside the record.
std::vector<std::size_t> earlierEqual(const std::vector<std::string_view>& names)
{
    std::vector<std::size_t> order(names.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&names](std::size_t a, std::size_t b) { return names[a] < names[b]; });
    std::vector<std::size_t> earlier(names.size(), kUnique);
    for (std::size_t k = 1; k < order.size(); ++k)
        if (names[order[k]] == names[order[k - 1]])
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

    if (config.Port == 0)
        warn(settingLine(findings, "Port"), FindingKind::Port,
             "Port 0 lets the server listen on no fixed port; clients cannot reach it.");
    // An empty server title is a fault of the check already.
    if (!config.ServerAETitle.empty())
        if (std::string problem = aeTitleProblem(config.ServerAETitle); !problem.empty())
            warn(settingLine(findings, "ServerAETitle"), FindingKind::AETitle, "server: " + problem);

    const std::size_t aeTitle = keyIndex(printerKeys(), "PrinterAETitle");
    const std::size_t address = keyIndex(printerKeys(), "PrinterAddress");
    const std::size_t queue = keyIndex(printerKeys(), "PrinterQueue");
    std::vector<std::string_view> titles;
    for (const PrinterRecord& printer : config.Printers)
        titles.emplace_back(printer.PrinterAETitle);
    const std::vector<std::size_t> firstPrinter = earlierEqual(titles);
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
    std::vector<std::string_view> paperNames;
    for (const PaperRecord& paper : config.Papers)
        paperNames.emplace_back(paper.Name);
    const std::vector<std::size_t> firstPaper = earlierEqual(paperNames);
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
