#include "config/UnifiedDiff.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace {

// Lines with their ends; the last one may have none.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

enum class Op : std::uint8_t { Equal, Delete, Insert };

// Aligns two sequences of line numbers (equal lines have equal numbers) into
// an edit script.
class Aligner {
  public:
    Aligner(const std::vector<int>& a, const std::vector<int>& b) : m_a(a), m_b(b) {}

    std::vector<Op> run()
    {
        m_tasks.push_back({Task::Range, 0, m_a.size(), 0, m_b.size()});
        while (!m_tasks.empty()) {
            const Task task = m_tasks.back();
            m_tasks.pop_back();
            if (task.kind == Task::Equal)
                m_script.insert(m_script.end(), task.a1 - task.a0, Op::Equal);
            else
                range(task.a0, task.a1, task.b0, task.b1);
        }
        return std::move(m_script);
    }

  private:
    struct Task {
        enum Kind { Range, Equal } kind;
        std::size_t a0, a1, b0, b1;
    };

    static constexpr std::size_t kTableLimit = 1 << 20; // cells of the LCS table

    void range(std::size_t a0, std::size_t a1, std::size_t b0, std::size_t b1)
    {
        while (a0 < a1 && b0 < b1 && m_a[a0] == m_b[b0]) {
            m_script.push_back(Op::Equal);
            ++a0;
            ++b0;
        }
        std::size_t suffix = 0;
        while (a1 - suffix > a0 && b1 - suffix > b0 && m_a[a1 - suffix - 1] == m_b[b1 - suffix - 1])
            ++suffix;
        if (suffix)
            m_tasks.push_back({Task::Equal, a1 - suffix, a1, b1 - suffix, b1});
        a1 -= suffix;
        b1 -= suffix;

        if (a0 == a1 || b0 == b1) {
            replace(a0, a1, b0, b1);
            return;
        }
        if ((a1 - a0) * (b1 - b0) <= kTableLimit) {
            commonSubsequence(a0, a1, b0, b1);
            return;
        }
        const std::vector<std::pair<std::size_t, std::size_t>> found = anchors(a0, a1, b0, b1);
        if (found.empty()) {
            replace(a0, a1, b0, b1);
            return;
        }
        // In reverse, so that the stack hands them out in order.
        std::size_t nextA = a1, nextB = b1;
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            m_tasks.push_back({Task::Range, it->first + 1, nextA, it->second + 1, nextB});
            m_tasks.push_back({Task::Equal, it->first, it->first + 1, it->second, it->second + 1});
            nextA = it->first;
            nextB = it->second;
        }
        m_tasks.push_back({Task::Range, a0, nextA, b0, nextB});
    }

    void replace(std::size_t a0, std::size_t a1, std::size_t b0, std::size_t b1)
    {
        m_script.insert(m_script.end(), a1 - a0, Op::Delete);
        m_script.insert(m_script.end(), b1 - b0, Op::Insert);
    }

    // Lines that occur once in each range, in an order kept by both
    // (the longest increasing run of their positions in b).
    std::vector<std::pair<std::size_t, std::size_t>> anchors(std::size_t a0, std::size_t a1, std::size_t b0,
                                                             std::size_t b1)
    {
        struct Seen {
            std::size_t countA = 0, countB = 0, posA = 0, posB = 0;
        };
        std::unordered_map<int, Seen> seen;
        seen.reserve(a1 - a0 + b1 - b0);
        for (std::size_t i = a0; i < a1; ++i) {
            Seen& s = seen[m_a[i]];
            ++s.countA;
            s.posA = i;
        }
        for (std::size_t j = b0; j < b1; ++j) {
            Seen& s = seen[m_b[j]];
            ++s.countB;
            s.posB = j;
        }
        std::vector<std::pair<std::size_t, std::size_t>> unique;
        for (std::size_t i = a0; i < a1; ++i) {
            const Seen& s = seen[m_a[i]];
            if (s.countA == 1 && s.countB == 1)
                unique.emplace_back(i, s.posB);
        }
        // Patience sorting: tails[k] ends the best run of length k + 1.
        std::vector<std::size_t> tails, previous(unique.size());
        for (std::size_t k = 0; k < unique.size(); ++k) {
            const auto pos = std::lower_bound(tails.begin(), tails.end(), unique[k].second,
                                              [&unique](std::size_t t, std::size_t b) { return unique[t].second < b; });
            previous[k] = pos == tails.begin() ? SIZE_MAX : *(pos - 1);
            if (pos == tails.end())
                tails.push_back(k);
            else
                *pos = k;
        }
        std::vector<std::pair<std::size_t, std::size_t>> run;
        for (std::size_t k = tails.empty() ? SIZE_MAX : tails.back(); k != SIZE_MAX; k = previous[k])
            run.push_back(unique[k]);
        std::reverse(run.begin(), run.end());
        return run;
    }

    // A longest common subsequence by the classic table, for small ranges.
    void commonSubsequence(std::size_t a0, std::size_t a1, std::size_t b0, std::size_t b1)
    {
        const std::size_t n = a1 - a0, m = b1 - b0;
        std::vector<std::uint32_t> table((n + 1) * (m + 1), 0);
        auto at = [m, &table](std::size_t i, std::size_t j) -> std::uint32_t& { return table[i * (m + 1) + j]; };
        for (std::size_t i = n; i-- > 0;)
            for (std::size_t j = m; j-- > 0;)
                at(i, j) = m_a[a0 + i] == m_b[b0 + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        std::size_t i = 0, j = 0;
        while (i < n && j < m) {
            if (m_a[a0 + i] == m_b[b0 + j]) {
                m_script.push_back(Op::Equal);
                ++i;
                ++j;
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                m_script.push_back(Op::Delete);
                ++i;
            } else {
                m_script.push_back(Op::Insert);
                ++j;
            }
        }
        m_script.insert(m_script.end(), n - i, Op::Delete);
        m_script.insert(m_script.end(), m - j, Op::Insert);
    }

    const std::vector<int>& m_a;
    const std::vector<int>& m_b;
    std::vector<Task> m_tasks;
    std::vector<Op> m_script;
};

// "-3,4" as unified diffs write a range: no count when it is 1, and for an
// empty range the line before it.
std::string rangeText(std::size_t first, std::size_t count)
{
    if (count == 1)
        return std::to_string(first + 1);
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

void appendLine(std::string& out, char mark, std::string_view line)
{
    out += mark;
    out += line;
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

} // namespace

std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view beforeLabel,
                        std::string_view afterLabel, std::size_t context)
{
    if (before == after)
        return {};
    const std::vector<std::string_view> a = splitLines(before), b = splitLines(after);
    std::vector<Op> script;
    {
        // The numbering table is the largest structure of a diff: it goes
        // before the alignment builds its own.
        std::unordered_map<std::string_view, int> numbers;
        numbers.reserve(a.size() + b.size());
        auto number = [&numbers](const std::vector<std::string_view>& lines) {
            std::vector<int> result;
            result.reserve(lines.size());
            for (const std::string_view line : lines)
                result.push_back(numbers.emplace(line, static_cast<int>(numbers.size())).first->second);
            return result;
        };
        const std::vector<int> na = number(a), nb = number(b);
        std::unordered_map<std::string_view, int>().swap(numbers);
        script = Aligner(na, nb).run();
    }

    // Positions in a and b before each step of the script.
    std::vector<std::size_t> posA(script.size() + 1), posB(script.size() + 1);
    for (std::size_t k = 0; k < script.size(); ++k) {
        posA[k + 1] = posA[k] + (script[k] != Op::Insert);
        posB[k + 1] = posB[k] + (script[k] != Op::Delete);
    }

    std::string out;
    out += "--- ";
    out += beforeLabel;
    out += "\n+++ ";
    out += afterLabel;
    out += "\n";
    std::size_t k = 0;
    while (k < script.size()) {
        if (script[k] == Op::Equal) {
            ++k;
            continue;
        }
        // A hunk: from context lines before this change to context lines
        // after the last change that lies within twice the context of the next.
        const std::size_t start = k >= context ? k - context : 0;
        std::size_t end = k;
        for (std::size_t equalRun = 0; end < script.size(); ++end) {
            if (script[end] != Op::Equal) {
                equalRun = 0;
                continue;
            }
            if (++equalRun > 2 * context)
                break;
        }
        // end is past the run of equal lines that closes the hunk; keep only
        // the first context of them.
        std::size_t last = end;
        while (last > k && script[last - 1] == Op::Equal)
            --last;
        const std::size_t stop = std::min(script.size(), last + context);
        out += "@@ -" + rangeText(posA[start], posA[stop] - posA[start]) + " +" +
               rangeText(posB[start], posB[stop] - posB[start]) + " @@\n";
        for (std::size_t s = start; s < stop; ++s) {
            switch (script[s]) {
            case Op::Equal:
                appendLine(out, ' ', a[posA[s]]);
                break;
            case Op::Delete:
                appendLine(out, '-', a[posA[s]]);
                break;
            case Op::Insert:
                appendLine(out, '+', b[posB[s]]);
                break;
            }
        }
        k = stop;
    }
    return out;
}

std::size_t changedLines(std::string_view diff)
{
    std::size_t changed = 0, removed = 0, added = 0;
    bool inHunk = false; // before the first "@@" stand the file names
    auto endRun = [&] {
        changed += std::max(removed, added);
        removed = added = 0;
    };
    while (!diff.empty()) {
        const std::size_t end = diff.find('\n');
        const std::string_view line = diff.substr(0, end);
        diff = end == std::string_view::npos ? std::string_view() : diff.substr(end + 1);
        if (line.starts_with("@@")) {
            endRun();
            inHunk = true;
        } else if (!inHunk) {
            continue;
        } else if (line.starts_with('-'))
            ++removed;
        else if (line.starts_with('+'))
            ++added;
        else if (!line.starts_with('\\'))
            endRun();
    }
    endRun();
    return changed;
}
