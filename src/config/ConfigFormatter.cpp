#include "config/ConfigFormatter.h"

#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Pieces of a megabyte: measured, far fewer and larger writes cost the
// kernel less than many of 64 KB, and the buffer stays small beside a large
// configuration.
constexpr std::size_t kPieceSize = 1024 * 1024;

// Builds the file text line by line. Blocks are separated by one blank line;
// the separator is written only when something follows it, so the file ends
// with the last key line.
class FileBuilder {
  public:
    FileBuilder(std::string& out, const TextSink* sink) : m_out(out), m_sink(sink) {}

    void line(std::string_view text)
    {
        startLine();
        m_out += text;
        m_out += kLineEnd;
    }

    // A header: as many brackets as its level, the name without CR or LF.
    void header(int level, std::string_view name)
    {
        startLine();
        m_out.append(static_cast<std::size_t>(level), '[');
        appendWithoutLineBreaks(m_out, name);
        m_out.append(static_cast<std::size_t>(level), ']');
        m_out += kLineEnd;
    }

    void endBlock() { m_blankPending = true; }

    template <typename Record> void keys(std::span<const KeyDef<Record>> keys, const Record& record)
    {
        for (const KeyDef<Record>& def : keys) {
            if (def.readOnly)
                continue;
            m_out += def.key;
            m_out += " = ";
            appendWrittenValue(m_out, def, record);
            m_out += kLineEnd;
        }
    }

    // Hands a full buffer to the sink; false once the sink has refused.
    bool flush(bool final)
    {
        if (!m_sink || m_failed)
            return !m_failed;
        if (final || m_out.size() >= kPieceSize) {
            m_failed = !(*m_sink)(m_out);
            m_out.clear();
        }
        return !m_failed;
    }

  private:
    void startLine()
    {
        if (m_blankPending)
            m_out += kLineEnd;
        m_blankPending = false;
    }

    std::string& m_out;
    const TextSink* m_sink;
    bool m_blankPending = false;
    bool m_failed = false;
};

bool writeSections(FileBuilder& f, const Configuration& config)
{
    for (const std::string_view line : fileBanner())
        f.line(line);
    f.endBlock();

    std::string_view level3, level2;
    for (const SectionDef& section : fileSections()) {
        if (section.level3 != level3) {
            f.header(3, section.level3);
            f.endBlock();
            level3 = section.level3;
            level2 = {};
        }
        if (section.level2 != level2) {
            f.header(2, section.level2);
            f.endBlock();
            level2 = section.level2;
        }
        switch (section.kind) {
        case SectionKind::Settings:
            f.header(1, section.level1);
            f.keys(section.settingsKeys, config);
            f.endBlock();
            break;
        case SectionKind::Layout:
            f.header(1, section.level1);
            f.keys(section.layoutKeys, config.Layout);
            f.endBlock();
            break;
        case SectionKind::Printers: {
            int n = 0;
            for (const PrinterRecord& printer : config.Printers) {
                f.header(1, std::string(kPrinterSectionPrefix) + formatInteger(++n));
                f.keys(printerKeys(), printer);
                f.endBlock();
                if (!f.flush(false))
                    return false;
            }
            break;
        }
        case SectionKind::Papers:
            for (const PaperRecord& paper : config.Papers) {
                f.header(1, paper.Name);
                f.keys(paperKeys(), paper);
                f.endBlock();
                if (!f.flush(false))
                    return false;
            }
            break;
        case SectionKind::Headers:
            for (const HeaderRecord& header : config.Headers) {
                f.header(1, header.Name);
                f.keys(headerKeys(), header);
                f.endBlock();
                if (!f.flush(false))
                    return false;
            }
            break;
        }
    }
    return f.flush(true);
}

} // namespace

std::string formatConfiguration(const Configuration& config)
{
    std::string out;
    // Roughly 2.5 KB of fixed text plus the repeated sections.
    out.reserve(2600 + static_cast<std::size_t>(config.Printers.size()) * 420 +
                static_cast<std::size_t>(config.Papers.size()) * 160 +
                static_cast<std::size_t>(config.Headers.size()) * 48);
    FileBuilder f(out, nullptr);
    writeSections(f, config);
    return out;
}

bool formatConfiguration(const Configuration& config, const TextSink& sink)
{
    std::string buffer;
    buffer.reserve(kPieceSize + 4096);
    FileBuilder f(buffer, &sink);
    return writeSections(f, config);
}
