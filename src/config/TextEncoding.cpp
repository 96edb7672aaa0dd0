#include "config/TextEncoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F; the undefined five
// map to the C1 control characters of the same number.
constexpr std::array<char32_t, 32> kHighControls = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The byte for a character, or -1 when Windows-1252 has none.
int windows1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

// Reads one character of valid UTF-8 at text[i] and advances i; typed text
// comes from Qt and is always valid, but a broken sequence reads as U+FFFD.
char32_t nextCharacter(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k)
        c = (c << 6) | (byte(i + static_cast<std::size_t>(k)) & 0x3F);
    i += static_cast<std::size_t>(length);
    return c;
}

// The length of the valid UTF-8 sequence at text[i] (no overlong form, no
// surrogate, nothing above U+10FFFF), 0 when there is none.
std::size_t utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned minimum = 0, code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

// How many bytes from the start of bytes are ASCII, counted 16 at a time:
// a configuration is mostly ASCII, and one test per two words finds that.
std::size_t asciiRun(std::string_view bytes)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 16 <= bytes.size(); i += 16) {
        std::uint64_t first, second;
        std::memcpy(&first, bytes.data() + i, 8);
        std::memcpy(&second, bytes.data() + i + 8, 8);
        if ((first | second) & kHighBits)
            break;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
    return i;
}

} // namespace

void EncodingDetector::feed(std::string_view bytes)
{
    if (m_invalid)
        return;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (m_pending == 0) {
            i += asciiRun(bytes.substr(i));
            if (i == bytes.size())
                return;
        }
        const unsigned b = static_cast<unsigned char>(bytes[i]);
        if (m_pending > 0) {
            if (b < m_lowest || b > m_highest) {
                m_invalid = true;
                return;
            }
            m_lowest = 0x80;
            m_highest = 0xBF;
            --m_pending;
            continue;
        }
        if (b < 0x80)
            continue;
        m_nonAscii = true;
        // Lead bytes and the range of the byte after them (no overlong
        // forms, no surrogates, nothing above U+10FFFF).
        m_lowest = 0x80;
        m_highest = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            m_pending = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_pending = 2;
            if (b == 0xE0)
                m_lowest = 0xA0;
            else if (b == 0xED)
                m_highest = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_pending = 3;
            if (b == 0xF0)
                m_lowest = 0x90;
            else if (b == 0xF4)
                m_highest = 0x8F;
        } else {
            m_invalid = true;
            return;
        }
    }
}

TextEncoding EncodingDetector::encoding() const
{
    const bool utf8 = m_nonAscii && !m_invalid && m_pending == 0;
    return utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

std::string windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const unsigned b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else
            appendUtf8(out, b < 0xA0 ? kHighControls[b - 0x80] : static_cast<char32_t>(b));
    }
    return out;
}

bool utf8ToWindows1252(std::string_view utf8, std::string& out, std::string* unrepresentable)
{
    out.clear();
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        const int b = windows1252Byte(nextCharacter(utf8, i));
        if (b < 0) {
            if (unrepresentable)
                *unrepresentable = std::string(utf8.substr(start, i - start));
            return false;
        }
        out += static_cast<char>(b);
    }
    return true;
}

std::string utf8WithLatin1Fallback(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = utf8Length(bytes, i)) {
            out.append(bytes.substr(i, length));
            i += length;
        } else {
            appendUtf8(out, c);
            ++i;
        }
    }
    return out;
}
