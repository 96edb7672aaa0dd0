#include "diff/TextAlignment.h"

#include <algorithm>
#include <string_view>

#include "diff/LineEnds.h"
#include "diff/LinePresence.h"
#include "diff/LineWindow.h"

namespace {

// One text: its source and the lines of it not yet in the script.
struct Side {
    const TextSource& source;
    const LinePresence* otherLines; // the lines of the other text
    LineWindow window;
    bool ended = false;
};

std::size_t half(std::size_t lines)
{
    return (lines + 1) / 2;
}

// Numbers lines so that equal lines have equal numbers, in the order in
// which they first come: an open table of numbers by line hash. Tells by
// number which lines are section headers.
class LineNumbers {
  public:
    LineNumbers(std::size_t lines, const LineComparison& comparison) : m_comparison(comparison)
    {
        std::size_t slots = 16;
        while (slots < 2 * lines)
            slots *= 2;
        m_slots.assign(slots, -1);
        m_lines.reserve(lines);
    }

    // By the line with its end and its hash (LineWindow::hash).
    int number(std::string_view line, std::size_t hash)
    {
        if (m_comparison.ignoreEnds)
            line = withoutEnd(line);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            int& slot = m_slots[at];
            if (slot < 0) {
                slot = static_cast<int>(m_lines.size());
                m_lines.push_back({hash, line});
                if (m_comparison.isSectionHeader) {
                    m_headers.resize(m_lines.size());
                    m_headers.back() = m_comparison.isSectionHeader(withoutEnd(line));
                }
                return slot;
            }
            const Known& known = m_lines[static_cast<std::size_t>(slot)];
            if (known.hash == hash && known.line == line)
                return slot;
        }
    }

    // By number; empty without a test for headers.
    const std::vector<bool>& headers() const { return m_headers; }

  private:
    struct Known {
        std::size_t hash;
        std::string_view line;
    };
    const LineComparison& m_comparison;
    std::vector<int> m_slots;   // numbers, -1 for none
    std::vector<Known> m_lines; // by number
    std::vector<bool> m_headers;
};

class WindowedAligner {
  public:
    WindowedAligner(const TextSource& before, const TextSource& after, const AlignmentWindow& window,
                    const LineComparison& comparison)
        : m_a{before, window.afterLines, LineWindow(comparison.ignoreEnds)}, m_b{after, window.beforeLines,
                                                                                 LineWindow(comparison.ignoreEnds)},
          m_bytes(window.bytes), m_comparison(comparison)
    {
    }

    EditScript run()
    {
        for (;;) {
            fill(m_a);
            fill(m_b);
            const std::vector<EditOp> ops = alignWindows();
            if (m_a.ended && m_b.ended) {
                keep(ops, ops.size());
                return std::move(m_script);
            }
            if (!keepUpToEqualLine(ops))
                keepWithoutEqualLine();
        }
    }

  private:
    void fill(Side& side)
    {
        std::string_view piece;
        while (!side.ended && (side.window.bytes() < m_bytes || side.window.lines() == 0)) {
            if (side.source(piece)) {
                side.window.append(piece);
            } else {
                side.ended = true;
                side.window.end();
            }
        }
    }

    // Numbers the lines of both windows (equal lines alike) and aligns them.
    std::vector<EditOp> alignWindows()
    {
        std::vector<int> na, nb;
        std::vector<bool> headers;
        {
            LineNumbers numbers(m_a.window.lines() + m_b.window.lines(), m_comparison);
            auto number = [&numbers](const LineWindow& window, std::vector<int>& result) {
                result.reserve(window.lines());
                for (std::size_t i = 0; i < window.lines(); ++i)
                    result.push_back(numbers.number(window.line(i), window.hash(i)));
            };
            number(m_a.window, na);
            number(m_b.window, nb);
            headers = numbers.headers();
        }
        return alignLines(na, nb, headers);
    }

    // Adds the first count steps of ops, which begin at the front of the
    // windows, to the script, with the changes of end of its equal lines.
    void keep(const std::vector<EditOp>& ops, std::size_t count)
    {
        if (m_comparison.ignoreEnds) {
            std::size_t a = 0, b = 0;
            for (std::size_t k = 0; k < count; ++k) {
                if (ops[k] == EditOp::Equal)
                    m_script.lineEnds().add(lineEndOf(m_a.window.line(a)), lineEndOf(m_b.window.line(b)));
                a += ops[k] != EditOp::Insert;
                b += ops[k] != EditOp::Delete;
            }
        }
        m_script.append(ops, count);
    }

    // Keeps the steps up to the last equal line before halfway through
    // either window, or when that keeps less than half of the way, up to the
    // first one after halfway that leaves a quarter of each window after it:
    // lines equal at the very ends of both windows may be equal only there.
    // False when there is no such line.
    bool keepUpToEqualLine(const std::vector<EditOp>& ops)
    {
        const std::size_t linesA = m_a.window.lines(), linesB = m_b.window.lines();
        const std::size_t halfA = half(linesA), halfB = half(linesB);
        std::size_t k = 0, a = 0, b = 0, kept = 0, keptA = 0, keptB = 0;
        auto step = [&] {
            a += ops[k] != EditOp::Insert;
            b += ops[k] != EditOp::Delete;
            if (ops[k++] == EditOp::Equal) {
                kept = k;
                keptA = a;
                keptB = b;
            }
        };
        while (k < ops.size() && a < halfA && b < halfB)
            step();
        if (kept * 2 <= k) {
            while (k < ops.size() && ops[k] != EditOp::Equal)
                step();
            if (k < ops.size() && a < linesA - linesA / 4 && b < linesB - linesB / 4)
                step();
        }
        if (kept == 0)
            return false;
        keep(ops, kept);
        m_a.window.drop(keptA);
        m_b.window.drop(keptB);
        return true;
    }

    // No line of one window is in the other, or none that tells. Half of
    // the side whose lines the other text lacks moves on: a long deletion
    // or insertion. When both texts hold nearly all of the other's lines
    // further on (a block moved), the side with more lines lacked does, the
    // old one when even, until the lines of the other come into its window.
    // Otherwise, or without the lines of the texts, half of each.
    void keepWithoutEqualLine()
    {
        const std::size_t halfA = half(m_a.window.lines()), halfB = half(m_b.window.lines());
        bool deletion = halfB == 0, insertion = halfA == 0;
        if (m_a.otherLines && m_b.otherLines && !deletion && !insertion) {
            const std::size_t lackedA = lacked(m_a, halfA), lackedB = lacked(m_b, halfB);
            const bool moved = lackedA * 8 <= halfA && lackedB * 8 <= halfB;
            deletion = lackedA > 4 * lackedB || (moved && lackedB <= lackedA);
            insertion = !deletion && (lackedB > 4 * lackedA || moved);
        }
        if (!insertion) {
            m_script.append(EditOp::Delete, halfA);
            m_a.window.drop(halfA);
        }
        if (!deletion) {
            m_script.append(EditOp::Insert, halfB);
            m_b.window.drop(halfB);
        }
    }

    // Of the first lines of a side, about how many the other text lacks,
    // told from a sample of them.
    static std::size_t lacked(const Side& side, std::size_t lines)
    {
        constexpr std::size_t kSample = 1024;
        const std::size_t step = std::max<std::size_t>(1, lines / kSample);
        std::size_t sampled = 0, lacking = 0;
        for (std::size_t i = 0; i < lines; i += step, ++sampled)
            lacking += !side.otherLines->mayHold(side.window.hash(i));
        return sampled ? lacking * lines / sampled : 0;
    }

    Side m_a, m_b;
    std::size_t m_bytes;
    const LineComparison& m_comparison;
    EditScript m_script;
};

} // namespace

EditScript alignTexts(const TextSource& before, const TextSource& after, const AlignmentWindow& window,
                      const LineComparison& comparison)
{
    return WindowedAligner(before, after, window, comparison).run();
}
