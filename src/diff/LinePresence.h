#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which lines a text holds, as one bit per line hash: a line of the text is
// always found, a line that is not in it is found too now and then (the
// fuller the bits, the more often). Lines are taken with their ends.
class LinePresence {
  public:
    // At least minimumBits bits (a power of two); lines taken without their
    // ends when ignoreEnds.
    explicit LinePresence(std::size_t minimumBits, bool ignoreEnds = false);

    // Adds the lines of a text handed in pieces; end() adds an unfinished
    // last line.
    void feed(std::string_view piece);
    void end();

    // By the line's lineHash (without its end when ignoreEnds).
    void add(std::size_t hash);
    bool mayHold(std::size_t hash) const;

  private:
    std::size_t slot(std::size_t hash) const { return hash & (m_bits.size() * 64 - 1); }

    std::vector<std::uint64_t> m_bits;
    void addLine(std::string_view line);

    std::string m_pending; // a line begun in one piece and not ended yet
    bool m_ignoreEnds;
};
