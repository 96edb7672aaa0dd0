#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The lines of a text from some point on, as pieces of it arrive: whole
// lines with their ends, and at the end of the text the rest as a last line
// without one. Lines are dropped from the front once they are dealt with.
class LineWindow {
  public:
    // Hashing lines without their ends, or with them.
    explicit LineWindow(bool ignoreEnds = false) : m_ignoreEnds(ignoreEnds) {}

    void append(std::string_view piece);
    // No more pieces come: an unfinished rest becomes the last line.
    void end();

    std::size_t lines() const { return m_ends.size() - m_first; }
    std::string_view line(std::size_t index) const;
    // lineHash of the line, or of it without its end.
    std::size_t hash(std::size_t index) const { return m_hashes[m_first + index]; }
    // The bytes held, unfinished rest included.
    std::size_t bytes() const { return m_text.size() - m_start; }

    void drop(std::size_t count);

  private:
    void addLine(std::size_t end);

    std::string m_text;              // m_start on: the lines, then the unfinished rest
    std::size_t m_start = 0;         // where the first line held begins
    std::vector<std::size_t> m_ends; // in m_text, past each line's end
    std::vector<std::size_t> m_hashes;
    std::size_t m_first = 0; // lines of m_ends dropped already
    bool m_ignoreEnds;
};
