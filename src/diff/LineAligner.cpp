#include "diff/LineAligner.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

// Aligns two sequences of line numbers (equal lines have equal numbers) into
// an edit script.
class Aligner {
  public:
    // tableLimit: the most cells of an LCS table (below, anchors first).
    Aligner(const std::vector<int>& a, const std::vector<int>& b, std::size_t tableLimit = kTableLimit)
        : m_a(a), m_b(b), m_tableLimit(tableLimit)
    {
    }

    std::vector<EditOp> run(const std::vector<bool>& headers)
    {
        std::vector<Task> plan = sections(headers);
        if (plan.empty())
            plan.push_back({Task::Range, 0, m_a.size(), 0, m_b.size()});
        // In reverse, so that the stack hands them out in order.
        m_tasks.assign(plan.rbegin(), plan.rend());
        while (!m_tasks.empty()) {
            const Task task = m_tasks.back();
            m_tasks.pop_back();
            if (task.kind == Task::Equal)
                m_script.insert(m_script.end(), task.a1 - task.a0, EditOp::Equal);
            else if (task.kind == Task::Replace)
                replace(task.a0, task.a1, task.b0, task.b1);
            else
                range(task.a0, task.a1, task.b0, task.b1);
        }
        return std::move(m_script);
    }

  private:
    struct Task {
        enum Kind { Range, Equal, Replace } kind;
        std::size_t a0, a1, b0, b1;
    };

    // The tasks, in order, that align the texts section by section: the
    // headers of both sides aligned, then between each two headers kept
    // the lines of the first one's section with each other, and the
    // sections of one side alone deleted or inserted whole. None when no
    // header is kept: the lines are aligned as they come.
    std::vector<Task> sections(const std::vector<bool>& headers) const
    {
        auto isHeader = [&headers](int number) {
            return static_cast<std::size_t>(number) < headers.size() && headers[static_cast<std::size_t>(number)];
        };
        std::vector<std::size_t> atA, atB; // the positions of the headers
        std::vector<int> numbersA, numbersB;
        for (std::size_t i = 0; i < m_a.size(); ++i)
            if (isHeader(m_a[i])) {
                atA.push_back(i);
                numbersA.push_back(m_a[i]);
            }
        for (std::size_t j = 0; j < m_b.size(); ++j)
            if (isHeader(m_b[j])) {
                atB.push_back(j);
                numbersB.push_back(m_b[j]);
            }
        std::vector<Task> plan;
        if (atA.empty() && atB.empty())
            return plan;
        const std::vector<EditOp> headerSteps = Aligner(numbersA, numbersB, kHeaderTableLimit).run({});
        // Not a header kept (LF against CR LF): nothing to align on.
        if (std::find(headerSteps.begin(), headerSteps.end(), EditOp::Equal) == headerSteps.end())
            return plan;
        // The section kept last begins its lines at a0 and b0 (the lines
        // before the first header count as one kept), and the first header
        // of a section of one side alone since then is at ownA and ownB.
        std::size_t a0 = 0, b0 = 0, ownA = SIZE_MAX, ownB = SIZE_MAX, h = 0, k = 0;
        auto gap = [&](std::size_t a1, std::size_t b1) {
            const std::size_t bodyA = std::min(ownA, a1), bodyB = std::min(ownB, b1);
            plan.push_back({Task::Range, a0, bodyA, b0, bodyB});
            const bool both = bodyA < a1 && bodyB < b1;
            plan.push_back({both ? Task::Range : Task::Replace, bodyA, a1, bodyB, b1});
        };
        for (const EditOp step : headerSteps) {
            if (step == EditOp::Delete) {
                ownA = std::min(ownA, atA[h++]);
            } else if (step == EditOp::Insert) {
                ownB = std::min(ownB, atB[k++]);
            } else {
                gap(atA[h], atB[k]);
                plan.push_back({Task::Equal, atA[h], atA[h] + 1, atB[k], atB[k] + 1});
                a0 = atA[h++] + 1;
                b0 = atB[k++] + 1;
                ownA = ownB = SIZE_MAX;
            }
        }
        gap(m_a.size(), m_b.size());
        return plan;
    }

    static constexpr std::size_t kTableLimit = 1 << 20; // cells of the LCS table
    // Headers are few and mostly unique (a printer's, a paper's): anchors
    // align them but for short stretches, and keep the table small beside
    // the one of the lines.
    static constexpr std::size_t kHeaderTableLimit = 1 << 14;

    void range(std::size_t a0, std::size_t a1, std::size_t b0, std::size_t b1)
    {
        while (a0 < a1 && b0 < b1 && m_a[a0] == m_b[b0]) {
            m_script.push_back(EditOp::Equal);
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
        if ((a1 - a0) * (b1 - b0) <= m_tableLimit) {
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
        m_script.insert(m_script.end(), a1 - a0, EditOp::Delete);
        m_script.insert(m_script.end(), b1 - b0, EditOp::Insert);
    }

    // Lines that occur once in each range, in an order kept by both
    // (the longest increasing run of their positions in b).
    std::vector<std::pair<std::size_t, std::size_t>> anchors(std::size_t a0, std::size_t a1, std::size_t b0,
                                                             std::size_t b1)
    {
        if (m_seen.empty()) {
            int numbers = 0;
            for (const std::vector<int>* side : {&m_a, &m_b})
                for (const int number : *side)
                    numbers = std::max(numbers, number + 1);
            m_seen.resize(static_cast<std::size_t>(numbers));
        }
        auto seen = [this](int number) -> Seen& { return m_seen[static_cast<std::size_t>(number)]; };
        for (std::size_t i = a0; i < a1; ++i) {
            Seen& s = seen(m_a[i]);
            ++s.countA;
            s.posA = static_cast<std::uint32_t>(i);
        }
        for (std::size_t j = b0; j < b1; ++j) {
            Seen& s = seen(m_b[j]);
            ++s.countB;
            s.posB = static_cast<std::uint32_t>(j);
        }
        std::vector<std::pair<std::size_t, std::size_t>> unique;
        for (std::size_t i = a0; i < a1; ++i) {
            const Seen& s = seen(m_a[i]);
            if (s.countA == 1 && s.countB == 1)
                unique.emplace_back(i, s.posB);
        }
        for (std::size_t i = a0; i < a1; ++i)
            seen(m_a[i]) = {};
        for (std::size_t j = b0; j < b1; ++j)
            seen(m_b[j]) = {};
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
                m_script.push_back(EditOp::Equal);
                ++i;
                ++j;
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                m_script.push_back(EditOp::Delete);
                ++i;
            } else {
                m_script.push_back(EditOp::Insert);
                ++j;
            }
        }
        m_script.insert(m_script.end(), n - i, EditOp::Delete);
        m_script.insert(m_script.end(), m - j, EditOp::Insert);
    }

    // How often a line number occurs in each range, and where last; by
    // number, all zero outside anchors().
    struct Seen {
        std::uint32_t countA = 0, countB = 0, posA = 0, posB = 0; // fewer lines than int numbers
    };

    const std::vector<int>& m_a;
    const std::vector<int>& m_b;
    std::size_t m_tableLimit;
    std::vector<Seen> m_seen;
    std::vector<Task> m_tasks;
    std::vector<EditOp> m_script;
};

} // namespace

std::vector<EditOp> alignLines(const std::vector<int>& a, const std::vector<int>& b, const std::vector<bool>& headers)
{
    return Aligner(a, b).run(headers);
}
