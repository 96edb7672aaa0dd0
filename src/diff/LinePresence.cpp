#include "diff/LinePresence.h"

#include "diff/LineEnds.h"
#include "diff/LineHash.h"

LinePresence::LinePresence(std::size_t minimumBits, bool ignoreEnds) : m_ignoreEnds(ignoreEnds)
{
    std::size_t words = 1;
    while (words * 64 < minimumBits)
        words *= 2;
    m_bits.assign(words, 0);
}

void LinePresence::feed(std::string_view piece)
{
    for (std::size_t lf = piece.find('\n'); lf != std::string_view::npos; lf = piece.find('\n')) {
        if (m_pending.empty()) {
            addLine(piece.substr(0, lf + 1));
        } else {
            m_pending.append(piece.substr(0, lf + 1));
            addLine(m_pending);
            m_pending.clear();
        }
        piece.remove_prefix(lf + 1);
    }
    m_pending.append(piece);
}

void LinePresence::end()
{
    if (!m_pending.empty())
        addLine(m_pending);
    m_pending.clear();
}

void LinePresence::add(std::size_t hash)
{
    const std::size_t at = slot(hash);
    m_bits[at / 64] |= std::uint64_t{1} << (at % 64);
}

bool LinePresence::mayHold(std::size_t hash) const
{
    const std::size_t at = slot(hash);
    return (m_bits[at / 64] >> (at % 64)) & 1;
}

void LinePresence::addLine(std::string_view line)
{
    add(lineHash(m_ignoreEnds ? withoutEnd(line) : line));
}
