#include "config/ReaderFindings.h"

#include <algorithm>
#include <string_view>

#include "config/ConfigKeys.h"
#include "config/Configuration.h"

const char* FindingKindName(FindingKind kind)
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
    }
    return "unknown";
}

bool LosesContent(FindingKind kind)
{
    switch (kind) {
    case FindingKind::UnknownKey:
    case FindingKind::UnknownSection:
    case FindingKind::NotALine:
    case FindingKind::Comment:
    case FindingKind::ValueReplaced:
        return true;
    case FindingKind::Duplicate:
    case FindingKind::MissingHeader:
    case FindingKind::IncompletePrinter:
        return false;
    }
    return false;
}

std::size_t LostLines(const std::vector<Finding>& findings)
{
    std::size_t lines = 0;
    for (const Finding& finding : findings)
        if (LosesContent(finding.kind))
            lines += finding.lines;
    return lines;
}

std::string DescribeFinding(const Finding& finding)
{
    return "line " + std::to_string(finding.line) + ": " + finding.text + " [" + FindingKindName(finding.kind) + "]";
}

namespace {

template <typename Record> std::size_t KeyIndex(std::span<const KeyDef<Record>> keys, std::string_view key)
{
    return static_cast<std::size_t>(FindKey(keys, key) - keys.data());
}

// The line of a record's key, or of its section when the key was not read.
std::uint32_t LineOf(const RecordLines& lines, std::size_t record, std::size_t key)
{
    const std::uint32_t line = lines.Key(record, key);
    return line ? line : lines.Section(record);
}

} // namespace

namespace {

constexpr std::size_t kUnique = static_cast<std::size_t>(-1);

// For each name, kUnique, or the position of the first equal name before
// it. Sorted views rather than hash tables: no name is copied, so a check of
// a large file needs little memory beside the record.
std::vector<std::size_t> EarlierEqual(const std::vector<std::string_view>& names)
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

std::vector<Finding> FindReferenceWarnings(const CConfiguration& config, const ReaderFindings& findings)
{
    std::vector<Finding> warnings;
    auto warn = [&warnings](std::uint32_t line, FindingKind kind, std::string text) {
        Finding finding;
        finding.line = line;
        finding.kind = kind;
        finding.text = std::move(text);
        warnings.push_back(std::move(finding));
    };

    const std::size_t aeTitle = KeyIndex(PrinterKeys(), "PrinterAETitle");
    const std::size_t address = KeyIndex(PrinterKeys(), "PrinterAddress");
    const std::size_t queue = KeyIndex(PrinterKeys(), "PrinterQueue");
    std::vector<std::string_view> titles;
    for (const sPrinter& printer : config.Printers)
        titles.emplace_back(printer.PrinterAETitle);
    const std::vector<std::size_t> firstPrinter = EarlierEqual(titles);
    std::size_t i = 0;
    for (const sPrinter& printer : config.Printers) {
        auto name = [&] { return "printer " + std::to_string(i + 1) + " ('" + printer.PrinterAETitle + "')"; };
        if (printer.PrinterAddress.empty())
            warn(LineOf(findings.printers, i, address), FindingKind::IncompletePrinter,
                 name() + " has no address: the server cannot reach it");
        if (printer.PrinterQueue.empty())
            warn(LineOf(findings.printers, i, queue), FindingKind::IncompletePrinter,
                 name() + " has no queue: the server cannot print on it");
        if (firstPrinter[i] != kUnique)
            warn(LineOf(findings.printers, i, aeTitle), FindingKind::Duplicate,
                 "AE title '" + printer.PrinterAETitle + "' is also printer " + std::to_string(firstPrinter[i] + 1) +
                     "'s: clients reach only the first");
        ++i;
    }

    std::vector<std::string_view> headerNames;
    for (const sHeader& header : config.Headers)
        headerNames.emplace_back(header.Name);
    std::sort(headerNames.begin(), headerNames.end());
    std::vector<std::string_view> paperNames;
    for (const sPaper& paper : config.Papers)
        paperNames.emplace_back(paper.Name);
    const std::vector<std::size_t> firstPaper = EarlierEqual(paperNames);
    const std::size_t headerName = KeyIndex(PaperKeys(), "HeaderName");
    i = 0;
    for (const sPaper& paper : config.Papers) {
        if (!paper.HeaderName.empty() &&
            !std::binary_search(headerNames.begin(), headerNames.end(), std::string_view(paper.HeaderName)))
            warn(LineOf(findings.papers, i, headerName), FindingKind::MissingHeader,
                 "paper size '" + paper.Name + "' names header bitmap '" + paper.HeaderName +
                     "', which does not exist");
        if (firstPaper[i] != kUnique)
            warn(findings.papers.Section(i), FindingKind::Duplicate,
                 "paper size '" + paper.Name + "' is named twice: only the first is used");
        ++i;
    }
    return warnings;
}
