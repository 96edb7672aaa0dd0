#include "config/NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(std::string_view text, std::size_t i)
{
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// Where a number of the C conversions starts: after leading white space
// and an optional sign.
struct NumberStart {
    std::size_t first; // the first character after the sign
    bool negative;
};

NumberStart SkipBlanksAndSign(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
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
long long LeadingMagnitude(std::string_view text, std::size_t i, long long limit)
{
    long long magnitude = 0;
    for (; IsDigit(text, i); ++i)
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), limit + 1);
    return magnitude;
}

constexpr long long kIntMagnitudeLimit = -static_cast<long long>(INT_MIN);

} // namespace

int ParseInteger(std::string_view text, bool* whole)
{
    const NumberStart start = SkipBlanksAndSign(text);
    const long long limit = start.negative ? kIntMagnitudeLimit : INT_MAX;
    const long long read = LeadingMagnitude(text, start.first, limit);
    if (whole) {
        std::size_t end = start.first;
        while (IsDigit(text, end))
            ++end;
        *whole = end > start.first && end == text.size() && read <= limit;
    }
    const long long magnitude = std::min(read, limit);
    return static_cast<int>(start.negative ? -magnitude : magnitude);
}

double ParseReal(std::string_view text, bool* whole)
{
    if (whole)
        *whole = false;
    const NumberStart start = SkipBlanksAndSign(text);
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

bool ReadLeadingInteger(const std::string& text, int& value)
{
    const NumberStart start = SkipBlanksAndSign(text);
    if (!IsDigit(text, start.first))
        return false;
    const long long limit = start.negative ? kIntMagnitudeLimit : INT_MAX;
    const long long magnitude = LeadingMagnitude(text, start.first, limit);
    if (magnitude > limit)
        return false;
    value = static_cast<int>(start.negative ? -magnitude : magnitude);
    return true;
}

bool ReadLeadingReal(const std::string& text, double& value)
{
    const std::size_t i = SkipBlanksAndSign(text).first;
    // A number starts with a digit, or with a point followed by a digit.
    const bool point = i < text.size() && text[i] == '.' && IsDigit(text, i + 1);
    if (!IsDigit(text, i) && !point)
        return false;
    value = ParseReal(text);
    return true;
}

std::string FormatRealShortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::string FormatInteger(int value)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void AppendInteger(std::string& out, int value)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string FormatRealTwoPlaces(double value)
{
    // Large enough for the widest double in fixed notation.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}
