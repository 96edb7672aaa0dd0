#include "config/NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(std::string_view text, std::size_t i)
{
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// Where a number of the C conversions starts: after leading white space
// and an optional sign.
struct NumberStart {
    std::size_t first; // the first character after the sign
    bool negative;
};

NumberStart skipBlanksAndSign(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return {i, negative};
}

// The magnitude of the leading digits, stopped at limit + 1 so that it
// cannot overflow whatever the number of digits.
long long leadingMagnitude(std::string_view text, std::size_t i, long long limit)
{
    long long magnitude = 0;
    for (; isDigit(text, i); ++i)
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), limit + 1);
    return magnitude;
}

constexpr long long kIntMagnitudeLimit = -static_cast<long long>(INT_MIN);

} // namespace

int parseInteger(std::string_view text, bool* whole)
{
    const NumberStart start = skipBlanksAndSign(text);
    const long long limit = start.negative ? kIntMagnitudeLimit : INT_MAX;
    const long long read = leadingMagnitude(text, start.first, limit);
    if (whole) {
        std::size_t end = start.first;
        while (isDigit(text, end))
            ++end;
        *whole = end > start.first && end == text.size() && read <= limit;
    }
    const long long magnitude = std::min(read, limit);
    return static_cast<int>(start.negative ? -magnitude : magnitude);
}

double parseReal(std::string_view text, bool* whole)
{
    if (whole)
        *whole = false;
    const NumberStart start = skipBlanksAndSign(text);
    const std::size_t i = start.first;
    const bool negative = start.negative;
    if (i >= text.size() || text[i] == '+' || text[i] == '-')
        return 0.0;
    double value = 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return 0.0;
    if (result.ec == std::errc::result_out_of_range) {
        // Like strtod: overflow gives infinity, underflow gives zero. Decide by
        // the exponent's sign.
        const char* e = static_cast<const char*>(std::memchr(first, 'e', static_cast<std::size_t>(result.ptr - first)));
        if (!e)
            e = static_cast<const char*>(std::memchr(first, 'E', static_cast<std::size_t>(result.ptr - first)));
        const bool tiny = e && e + 1 < result.ptr && e[1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    } else if (whole) {
        *whole = result.ptr == last;
    }
    return negative ? -value : value;
}

bool readLeadingInteger(const std::string& text, int& value)
{
    const NumberStart start = skipBlanksAndSign(text);
    if (!isDigit(text, start.first))
        return false;
    const long long limit = start.negative ? kIntMagnitudeLimit : INT_MAX;
    const long long magnitude = leadingMagnitude(text, start.first, limit);
    if (magnitude > limit)
        return false;
    value = static_cast<int>(start.negative ? -magnitude : magnitude);
    return true;
}

bool readLeadingReal(const std::string& text, double& value)
{
    const std::size_t i = skipBlanksAndSign(text).first;
    // A number starts with a digit, or with a point followed by a digit.
    const bool point = i < text.size() && text[i] == '.' && isDigit(text, i + 1);
    if (!isDigit(text, i) && !point)
        return false;
    value = parseReal(text);
    return true;
}

std::string formatRealShortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::string formatInteger(int value)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void appendInteger(std::string& out, int value)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string formatRealTwoPlaces(double value)
{
    // Large enough for the widest double in fixed notation.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}
