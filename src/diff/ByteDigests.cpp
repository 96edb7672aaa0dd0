#include "diff/ByteDigests.h"

#include <algorithm>
#include <functional>

void ByteDigests::feed(std::string_view bytes)
{
    m_bytes += bytes.size();
    while (!bytes.empty()) {
        const std::size_t taken = std::min(bytes.size(), m_segmentSize - m_segment.size());
        m_segment.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (m_segment.size() == m_segmentSize) {
            m_digests.push_back(digest(m_segment));
            m_segment.clear();
        }
    }
}

void ByteDigests::end()
{
    if (!m_segment.empty())
        m_digests.push_back(digest(m_segment));
    std::string().swap(m_segment);
}

std::uint64_t ByteDigests::digest(std::string_view segment)
{
    return std::hash<std::string_view>()(segment);
}

bool VerifiedReading::read(std::string_view& piece)
{
    if (m_ended)
        return false;
    // A segment whole in the piece read is handed out from it, else gathered.
    const std::size_t size = m_first.segmentSize();
    std::string_view segment;
    m_segment.clear();
    while (m_segment.size() < size) {
        if (m_rest.empty() && !m_reading(m_rest)) {
            m_rest = {};
            break;
        }
        if (m_segment.empty() && m_rest.size() >= size) {
            segment = m_rest.substr(0, size);
            m_rest.remove_prefix(size);
            break;
        }
        const std::size_t taken = std::min(m_rest.size(), size - m_segment.size());
        m_segment.append(m_rest.substr(0, taken));
        m_rest.remove_prefix(taken);
    }
    if (segment.empty())
        segment = m_segment;
    const std::vector<std::uint64_t>& digests = m_first.digests();
    if (segment.empty()) {
        m_ended = true;
        m_changed = m_next != digests.size();
        return false;
    }
    if (m_next == digests.size() || ByteDigests::digest(segment) != digests[m_next]) {
        m_ended = m_changed = true;
        return false;
    }
    ++m_next;
    piece = segment;
    return true;
}

TextSource VerifiedReading::source()
{
    return [this](std::string_view& piece) { return read(piece); };
}
