#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// How a line ends: LF, CR LF, or not at all (the last line of a text).
enum class LineEnd : unsigned char { None, Lf, CrLf };

inline LineEnd lineEndOf(std::string_view line)
{
    if (!line.ends_with('\n'))
        return LineEnd::None;
    return line.ends_with("\r\n") ? LineEnd::CrLf : LineEnd::Lf;
}

// The line without its end.
inline std::string_view withoutEnd(std::string_view line)
{
    switch (lineEndOf(line)) {
    case LineEnd::CrLf:
        return line.substr(0, line.size() - 2);
    case LineEnd::Lf:
        return line.substr(0, line.size() - 1);
    case LineEnd::None:
        break;
    }
    return line;
}

// Of the lines two texts have in common, how many change only their end,
// by the end they had and the end they get.
class LineEndChanges {
  public:
    void add(LineEnd from, LineEnd to, std::size_t count = 1)
    {
        if (from != to)
            m_counts[index(from, to)] += count;
    }

    std::size_t total() const;
    bool empty() const { return total() == 0; }

    // "LF → CR LF, 212 lines" with arrow between the ends, one such part per
    // change of end there is, most lines first, joined by "; ". Empty when
    // no end changes.
    std::string describe(std::string_view arrow) const;

  private:
    static constexpr std::size_t kEnds = 3;
    static std::size_t index(LineEnd from, LineEnd to)
    {
        return static_cast<std::size_t>(from) * kEnds + static_cast<std::size_t>(to);
    }

    std::array<std::size_t, kEnds * kEnds> m_counts{};
};
