#include "config/ConfigurationSniffer.h"

#include <cstring>

#include "config/ConfigKeys.h"
#include "text/AsciiCase.h"

namespace {

// Longer than any header of a block or group with its brackets.
constexpr std::size_t kLongestHeader = 64;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "[[[NAME]" or "[[NAME]" of a block or group of the file format.
bool isFormatHeader(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    std::size_t level = 0;
    while (level < line.size() && level < 4 && line[level] == '[')
        ++level;
    if (level != 2 && level != 3)
        return false;
    const std::string_view rest = line.substr(level);
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos)
        return false;
    const std::string_view name = rest.substr(0, close);
    for (const SectionDef& section : fileSections())
        if (equalIgnoringAsciiCase(name, level == 3 ? section.level3 : section.level2))
            return true;
    return false;
}

} // namespace

void ConfigurationSniffer::feed(std::string_view bytes)
{
    while (!bytes.empty() && !m_found) {
        const void* end = std::memchr(bytes.data(), '\n', bytes.size());
        const std::size_t length =
            end ? static_cast<std::size_t>(static_cast<const char*>(end) - bytes.data()) : bytes.size();
        const std::string_view piece = bytes.substr(0, length);
        if (m_onlyBlanks)
            for (const char c : piece)
                m_onlyBlanks = m_onlyBlanks && isBlank(c);
        if (!m_lineTooLong) {
            const std::size_t room = kLongestHeader - m_line.size();
            m_line.append(piece.substr(0, room));
            m_lineTooLong = piece.size() > room;
        }
        if (!end)
            return;
        endLine();
        bytes.remove_prefix(length + 1);
    }
}

void ConfigurationSniffer::endLine()
{
    m_found = m_found || isFormatHeader(m_line);
    m_line.clear();
    m_lineTooLong = false;
}

bool ConfigurationSniffer::isConfiguration() const
{
    return m_found || m_onlyBlanks || isFormatHeader(m_line);
}
