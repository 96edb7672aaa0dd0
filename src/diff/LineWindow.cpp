#include "diff/LineWindow.h"

#include "diff/LineEnds.h"
#include "diff/LineHash.h"

void LineWindow::append(std::string_view piece)
{
    const std::size_t from = m_text.size();
    m_text.append(piece);
    for (std::size_t lf = m_text.find('\n', from); lf != std::string::npos; lf = m_text.find('\n', lf + 1))
        addLine(lf + 1);
}

void LineWindow::end()
{
    if (m_text.size() > (m_ends.empty() ? m_start : m_ends.back()))
        addLine(m_text.size());
}

void LineWindow::addLine(std::size_t end)
{
    const std::size_t begin = m_ends.empty() ? 0 : m_ends.back();
    const std::string_view line = std::string_view(m_text).substr(begin, end - begin);
    m_hashes.push_back(lineHash(m_ignoreEnds ? withoutEnd(line) : line));
    m_ends.push_back(end);
}

std::string_view LineWindow::line(std::size_t index) const
{
    const std::size_t at = m_first + index;
    const std::size_t begin = at == 0 ? 0 : m_ends[at - 1];
    return std::string_view(m_text).substr(begin, m_ends[at] - begin);
}

void LineWindow::drop(std::size_t count)
{
    if (count == 0)
        return;
    m_first += count;
    m_start = m_ends[m_first - 1];
    // Move the rest to the front once the dropped part outweighs it, so that
    // dropping costs no more than appending did.
    if (m_start < m_text.size() - m_start)
        return;
    m_text.erase(0, m_start);
    m_ends.erase(m_ends.begin(), m_ends.begin() + static_cast<std::ptrdiff_t>(m_first));
    m_hashes.erase(m_hashes.begin(), m_hashes.begin() + static_cast<std::ptrdiff_t>(m_first));
    for (std::size_t& end : m_ends)
        end -= m_start;
    m_start = 0;
    m_first = 0;
}
