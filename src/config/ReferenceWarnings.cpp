// The warnings about the record that a server administrator wants to know
// of, each pointing at the line that made it (see ReaderFindings.h).
#include <algorithm>
#include <string>
#include <string_view>

#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"
#include "config/ReaderFindings.h"

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
