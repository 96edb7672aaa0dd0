#include "cli/CheckReport.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <string_view>

#include "config/ConfigJson.h"
#include "config/ConfigurationCheck.h"
#include "config/TextEncoding.h"

namespace cfgtool {

namespace {

std::string withoutLineEnd(std::string line)
{
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

std::string counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Indents every line of text but the first by indent spaces.
std::string indented(std::string text, std::size_t indent)
{
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1 + indent))
        text.insert(at + 1, indent, ' ');
    return text;
}

// Collects the report and hands it to the stream in blocks: a report of a
// million warnings costs a few hundred writes rather than a stream insertion
// per field. What is left goes out when the writer goes.
class BlockWriter {
  public:
    explicit BlockWriter(std::ostream& out) : m_out(out) { m_buffer.reserve(kBlock + 4096); }
    ~BlockWriter() { flush(); }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    BlockWriter& operator<<(std::string_view text)
    {
        m_buffer += text;
        if (m_buffer.size() >= kBlock)
            flush();
        return *this;
    }
    BlockWriter& operator<<(char c) { return *this << std::string_view(&c, 1); }
    BlockWriter& operator<<(std::size_t number)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
    }

  private:
    void flush()
    {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }

    static constexpr std::size_t kBlock = 64 * 1024;
    std::ostream& m_out;
    std::string m_buffer;
};

} // namespace

const std::string& ForwardLines::line(std::size_t number)
{
    static const std::string none;
    if (number == 0 || number < m_number)
        return none;
    while (m_number < number && std::getline(m_in, m_line)) {
        ++m_number;
        if (!m_line.empty() && m_line.back() == '\r')
            m_line.pop_back();
    }
    return m_number < number ? none : m_line;
}

void printCheckText(std::ostream& stream, const std::string& file, const ConfigurationFaults& faults,
                    CheckWarnings& warnings)
{
    BlockWriter out(stream);
    for (const std::string& line : faults.lines)
        out << withoutLineEnd(line) << '\n';
    warnings.forEach([&](const Finding& w) {
        out << file << ':' << w.line << ": warning: " << w.text << " [" << findingKindName(w.kind) << "]\n";
    });
    out << counted(faults.lines.size(), "fault", "faults") << ", " << counted(warnings.size(), "warning", "warnings")
        << '\n';
}

void printCheckJson(std::ostream& stream, const std::string& file, const ConfigurationFaults& faults,
                    CheckWarnings& warnings, ForwardLines& lines)
{
    BlockWriter out(stream);
    Json faultList = Json::array();
    for (std::size_t i = 0; i < faults.lines.size(); ++i)
        faultList.push_back(
            {{"text", utf8WithLatin1Fallback(withoutLineEnd(faults.lines[i]))}, {"page", faults.pages[i]}});
    out << "{\n  \"file\": " << jsonText(utf8WithLatin1Fallback(file))
        << ",\n  \"faults\": " << indented(jsonText(faultList), 2) << ",\n  \"warnings\": ";
    const char* separator = "[\n    ";
    warnings.forEach([&](const Finding& w) {
        const Json warning = {{"line", w.line},
                              {"kind", findingKindName(w.kind)},
                              {"text", utf8WithLatin1Fallback(w.text)},
                              {"source", utf8WithLatin1Fallback(w.source.empty() ? lines.line(w.line) : w.source)}};
        out << separator << indented(jsonText(warning), 4);
        separator = ",\n    ";
    });
    out << (warnings.size() == 0 ? "[]" : "\n  ]") << "\n}\n";
}

} // namespace cfgtool
