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

    void Line(std::string_view text)
    {
        StartLine();
        m_out += text;
        m_out += kLineEnd;
    }

    // A header: as many brackets as its level, the name without CR or LF.
    void Header(int level, std::string_view name)
    {
        StartLine();
        m_out.append(static_cast<std::size_t>(level), '[');
        AppendWithoutLineBreaks(m_out, name);
        m_out.append(static_cast<std::size_t>(level), ']');
        m_out += kLineEnd;
    }

    void EndBlock() { m_blankPending = true; }

    template <typename Record> void Keys(std::span<const KeyDef<Record>> keys, const Record& record)
    {
        for (const KeyDef<Record>& def : keys) {
            if (def.readOnly)
                continue;
            m_out += def.key;
            m_out += " = ";
            AppendWrittenValue(m_out, def, record);
            m_out += kLineEnd;
        }
    }

    // Hands a full buffer to the sink; false once the sink has refused.
    bool Flush(bool final)
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
    void StartLine()
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

bool WriteSections(FileBuilder& f, const CConfiguration& config)
{
    for (const std::string_view line : FileBanner())
        f.Line(line);
    f.EndBlock();

    std::string_view level3, level2;
    for (const SectionDef& section : FileSections()) {
        if (section.level3 != level3) {
            f.Header(3, section.level3);
            f.EndBlock();
            level3 = section.level3;
            level2 = {};
        }
        if (section.level2 != level2) {
            f.Header(2, section.level2);
            f.EndBlock();
            level2 = section.level2;
        }
        switch (section.kind) {
        case SectionKind::Settings:
            f.Header(1, section.level1);
            f.Keys(section.settingsKeys, config);
            f.EndBlock();
            break;
        case SectionKind::Layout:
            f.Header(1, section.level1);
            f.Keys(section.layoutKeys, config.Layout);
            f.EndBlock();
            break;
        case SectionKind::Printers: {
            int n = 0;
            for (const sPrinter& printer : config.Printers) {
                f.Header(1, std::string(kPrinterSectionPrefix) + FormatInteger(++n));
                f.Keys(PrinterKeys(), printer);
                f.EndBlock();
                if (!f.Flush(false))
                    return false;
            }
            break;
        }
        case SectionKind::Papers:
            for (const sPaper& paper : config.Papers) {
                f.Header(1, paper.Name);
                f.Keys(PaperKeys(), paper);
                f.EndBlock();
                if (!f.Flush(false))
                    return false;
            }
            break;
        case SectionKind::Headers:
            for (const sHeader& header : config.Headers) {
                f.Header(1, header.Name);
                f.Keys(HeaderKeys(), header);
                f.EndBlock();
                if (!f.Flush(false))
                    return false;
            }
            break;
        }
    }
    return f.Flush(true);
}

} // namespace

std::string FormatConfiguration(const CConfiguration& config)
{
    std::string out;
    // Roughly 2.5 KB of fixed text plus the repeated sections.
    out.reserve(2600 + static_cast<std::size_t>(config.Printers.GetCount()) * 420 +
                static_cast<std::size_t>(config.Papers.GetCount()) * 160 +
                static_cast<std::size_t>(config.Headers.GetCount()) * 48);
    FileBuilder f(out, nullptr);
    WriteSections(f, config);
    return out;
}

bool FormatConfiguration(const CConfiguration& config, const TextSink& sink)
{
    std::string buffer;
    buffer.reserve(kPieceSize + 4096);
    FileBuilder f(buffer, &sink);
    return WriteSections(f, config);
}
