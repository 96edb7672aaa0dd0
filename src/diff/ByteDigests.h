#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diff/TextPieces.h"

// Digests of the bytes of a first reading of a file, one per segment of a
// fixed size, to tell a later reading from it.
class ByteDigests {
  public:
    explicit ByteDigests(std::size_t segmentSize) : m_segmentSize(segmentSize) {}

    void feed(std::string_view bytes);
    void end();

    std::size_t segmentSize() const { return m_segmentSize; }
    std::size_t bytes() const { return m_bytes; }
    const std::vector<std::uint64_t>& digests() const { return m_digests; }

    static std::uint64_t digest(std::string_view segment);

  private:
    std::size_t m_segmentSize;
    std::size_t m_bytes = 0;
    std::string m_segment; // the bytes of the segment not yet full
    std::vector<std::uint64_t> m_digests;
};

// A later reading of the file, handed out a segment at a time, each only
// once it has proved the same as at the first reading. At the first that is
// not, or when the reading ends early or runs long, it ends, and changed()
// tells.
class VerifiedReading {
  public:
    VerifiedReading(const ByteDigests& first, TextSource reading) : m_first(first), m_reading(std::move(reading)) {}

    bool read(std::string_view& piece);
    TextSource source();
    bool changed() const { return m_changed; }

  private:
    const ByteDigests& m_first;
    TextSource m_reading;
    std::string_view m_rest; // of the piece read last
    std::string m_segment;   // a segment gathered from several pieces
    std::size_t m_next = 0;  // the segment to read next
    bool m_ended = false;
    bool m_changed = false;
};
