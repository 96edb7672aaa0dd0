#include "diff/UnifiedDiffWriter.h"

#include <algorithm>
#include <string>

namespace {

// The lines of a text, one at a time, with their ends.
class LineReader {
  public:
    explicit LineReader(const TextSource& source) : m_source(source) {}

    // The next line, valid until the next call; false at the end.
    bool next(std::string_view& line)
    {
        m_joined.clear();
        for (;;) {
            const std::size_t lf = m_piece.find('\n');
            if (lf != std::string_view::npos) {
                line = m_piece.substr(0, lf + 1);
                m_piece.remove_prefix(lf + 1);
                if (m_joined.empty())
                    return true;
                m_joined.append(line);
                line = m_joined;
                return true;
            }
            m_joined.append(m_piece);
            m_piece = {};
            if (m_ended || !m_source(m_piece)) {
                m_ended = true;
                m_piece = {};
                line = m_joined;
                return !m_joined.empty();
            }
        }
    }

    // Passes over count lines; false when the text ends first.
    bool skip(std::size_t count)
    {
        std::string_view line;
        for (; count > 0; --count)
            if (!next(line))
                return false;
        return true;
    }

  private:
    const TextSource& m_source;
    std::string_view m_piece;
    std::string m_joined; // a line that spans pieces
    bool m_ended = false;
};

// "-3,4" as unified diffs write a range: no count when it is 1, and for an
// empty range the line before it.
std::string rangeText(std::size_t first, std::size_t count)
{
    if (count == 1)
        return std::to_string(first + 1);
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

class HunkWriter {
  public:
    HunkWriter(const EditScript& script, const TextSource& before, const TextSource& after, std::size_t context,
               const TextSink& out)
        : m_script(script), m_before(before), m_after(after), m_context(context), m_out(out)
    {
    }

    bool write(std::string_view beforeLabel, std::string_view afterLabel)
    {
        if (!m_script.changes())
            return true;
        m_buffer.append("--- ").append(beforeLabel).append("\n+++ ").append(afterLabel).append("\n");
        std::size_t a = 0, b = 0; // lines of before and after ahead of run r
        for (std::size_t r = 0; r < m_script.runs();) {
            const EditScript::Run run = m_script.run(r);
            if (run.op == EditOp::Equal) {
                a += run.count;
                b += run.count;
                ++r;
                continue;
            }
            const std::size_t end = hunkEnd(r);
            const std::size_t lead = r > 0 ? std::min(m_context, m_script.run(r - 1).count) : 0;
            if (!hunk(r, end, a - lead, b - lead, lead))
                return false;
            for (; r < end; ++r) {
                a += m_script.run(r).count * (m_script.run(r).op != EditOp::Insert);
                b += m_script.run(r).count * (m_script.run(r).op != EditOp::Delete);
            }
        }
        return flush(true);
    }

  private:
    // Past the last run of the hunk that begins with run r: changes that no
    // more than twice the context of equal lines apart share a hunk.
    std::size_t hunkEnd(std::size_t r) const
    {
        for (; r < m_script.runs(); ++r) {
            const EditScript::Run run = m_script.run(r);
            if (run.op == EditOp::Equal && (run.count > 2 * m_context || r + 1 == m_script.runs()))
                break;
        }
        return r;
    }

    // Runs first to end with lead equal lines before and the context after;
    // before begins at line a, after at line b.
    bool hunk(std::size_t first, std::size_t end, std::size_t a, std::size_t b, std::size_t lead)
    {
        const std::size_t trail = end < m_script.runs() ? std::min(m_context, m_script.run(end).count) : 0;
        std::size_t countA = lead + trail, countB = lead + trail;
        for (std::size_t r = first; r < end; ++r) {
            countA += m_script.run(r).count * (m_script.run(r).op != EditOp::Insert);
            countB += m_script.run(r).count * (m_script.run(r).op != EditOp::Delete);
        }
        m_buffer += "@@ -" + rangeText(a, countA) + " +" + rangeText(b, countB) + " @@\n";
        if (!m_before.skip(a - m_readA) || !m_after.skip(b - m_readB))
            return false;
        m_readA = a + countA;
        m_readB = b + countB;
        bool ok = lines(EditOp::Equal, lead);
        for (std::size_t r = first; ok && r < end; ++r)
            ok = lines(m_script.run(r).op, m_script.run(r).count);
        return ok && lines(EditOp::Equal, trail);
    }

    // Writes count lines of one step: equal lines as context from before.
    bool lines(EditOp op, std::size_t count)
    {
        static constexpr char kMarks[] = {' ', '-', '+'};
        std::string_view line, same;
        for (; count > 0; --count) {
            if (op != EditOp::Insert && !m_before.next(line))
                return false;
            if (op != EditOp::Delete && !m_after.next(op == EditOp::Insert ? line : same))
                return false;
            m_buffer += kMarks[static_cast<int>(op)];
            m_buffer += line;
            if (line.back() != '\n')
                m_buffer += "\n\\ No newline at end of file\n";
            if (!flush(false))
                return false;
        }
        return true;
    }

    bool flush(bool final)
    {
        static constexpr std::size_t kPieceSize = 256 * 1024;
        if (m_buffer.empty() || (!final && m_buffer.size() < kPieceSize))
            return true;
        const bool taken = m_out(m_buffer);
        m_buffer.clear();
        return taken;
    }

    const EditScript& m_script;
    LineReader m_before, m_after;
    std::size_t m_readA = 0, m_readB = 0; // lines read from before and after
    std::size_t m_context;
    const TextSink& m_out;
    std::string m_buffer;
};

} // namespace

bool writeUnifiedDiff(const EditScript& script, const TextSource& before, const TextSource& after,
                      std::string_view beforeLabel, std::string_view afterLabel, std::size_t context,
                      const TextSink& out)
{
    return HunkWriter(script, before, after, context, out).write(beforeLabel, afterLabel);
}
