#include "diff/LineEnds.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

const char* endName(std::size_t end)
{
    static constexpr const char* kNames[] = {"no line end", "LF", "CR LF"};
    return kNames[end];
}

} // namespace

std::size_t LineEndChanges::total() const
{
    return std::accumulate(m_counts.begin(), m_counts.end(), std::size_t{0});
}

std::string LineEndChanges::describe(std::string_view arrow) const
{
    std::vector<std::size_t> changes;
    for (std::size_t i = 0; i < m_counts.size(); ++i)
        if (m_counts[i] > 0)
            changes.push_back(i);
    std::stable_sort(changes.begin(), changes.end(),
                     [this](std::size_t x, std::size_t y) { return m_counts[x] > m_counts[y]; });
    std::string text;
    for (const std::size_t i : changes) {
        if (!text.empty())
            text += "; ";
        text.append(endName(i / kEnds)).append(" ").append(arrow).append(" ").append(endName(i % kEnds));
        text += ", " + std::to_string(m_counts[i]) + (m_counts[i] == 1 ? " line" : " lines");
    }
    return text;
}
