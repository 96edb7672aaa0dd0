#include "config/ReaderComparison.h"

#include "config/ChunkedConfigReader.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ReaderFindings.h"

namespace {

// Everything a reader leaves behind, as text: the fields of the record the
// writer does not write (the saved bytes hold every other field, texts
// byte for byte), its findings and the warnings about it.
struct ReadOutcome {
    bool read = true;
    std::string message, chunks, record, findings, saved;
};

std::string describe(const std::vector<Finding>& findings)
{
    std::string text;
    for (const Finding& f : findings)
        text += std::to_string(f.line) + "+" + std::to_string(f.lines) + " " + findingKindName(f.kind) + " " + f.text +
                " <" + f.source + ">\n";
    return text;
}

ReadOutcome outcomeOf(const Configuration& config, const ReaderFindings* findings)
{
    ReadOutcome outcome;
    outcome.record = "Manufacturer " + config.Manufacturer + "\nPrinter " + std::to_string(config.Printer) +
                     "\nEncoding " + std::to_string(static_cast<int>(config.Encoding)) + "\n";
    if (findings)
        outcome.findings =
            describe(findings->all()) + "--- references\n" + describe(findReferenceWarnings(config, *findings));
    outcome.saved = formatConfiguration(config);
    return outcome;
}

template <typename Reader> ReadOutcome readFile(const std::string& path, std::size_t chunkSize)
{
    Configuration config;
    ReaderFindings findings;
    std::string message, chunks;
    const bool read = Reader(config, &findings).readFile(path, message, chunkSize, [&chunks](std::string_view chunk) {
        chunks += chunk;
    });
    ReadOutcome outcome = outcomeOf(config, &findings);
    outcome.read = read;
    outcome.message = message;
    outcome.chunks = std::move(chunks);
    return outcome;
}

template <typename Reader> ReadOutcome readText(std::string_view bytes)
{
    Configuration config;
    Reader(config).readText(bytes);
    return outcomeOf(config, nullptr);
}

std::string difference(const char* what, const std::string& chunked, const std::string& current)
{
    if (chunked == current)
        return {};
    return std::string(what) + " differ\n--- line-at-a-time reader\n" + chunked + "\n--- ConfigReader\n" + current;
}

std::string compare(const ReadOutcome& chunked, const ReadOutcome& current)
{
    for (std::string found :
         {difference("outcomes", std::to_string(chunked.read) + " " + chunked.message,
                     std::to_string(current.read) + " " + current.message),
          difference("chunks", chunked.chunks, current.chunks), difference("records", chunked.record, current.record),
          difference("findings", chunked.findings, current.findings),
          difference("saved bytes", chunked.saved, current.saved)})
        if (!found.empty())
            return found;
    return {};
}

} // namespace

std::string compareReaders(const std::string& path, std::string_view bytes, std::size_t chunkSize)
{
    const ReadOutcome current = readFile<ConfigReader>(path, chunkSize);
    if (current.read && current.chunks != bytes)
        return difference("chunks and file", std::string(bytes), current.chunks);
    std::string found = compare(readFile<ChunkedConfigReader>(path, chunkSize), current);
    if (found.empty())
        found = compare(readText<ChunkedConfigReader>(bytes), readText<ConfigReader>(bytes));
    return found;
}
