#include "NumberText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

int ParseInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude >= limit) {
            magnitude = limit;
            // Skip the remaining digits: the value is saturated.
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

double ParseReal(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
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
    }
    return negative ? -value : value;
}

bool ReadLeadingInteger(const std::string& text, int& value)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    std::size_t digits = i;
    if (digits < text.size() && (text[digits] == '+' || text[digits] == '-'))
        ++digits;
    if (digits >= text.size() || text[digits] < '0' || text[digits] > '9')
        return false;
    long long magnitude = 0;
    for (std::size_t k = digits; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
        magnitude = magnitude * 10 + (text[k] - '0');
        if (magnitude > 2147483648LL)
            return false;
    }
    const long long signedValue = text[i] == '-' ? -magnitude : magnitude;
    if (signedValue > INT_MAX || signedValue < INT_MIN)
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

bool ReadLeadingReal(const std::string& text, double& value)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    // A number starts with a digit, or with a point followed by a digit.
    const bool digit = i < text.size() && text[i] >= '0' && text[i] <= '9';
    const bool point = i + 1 < text.size() && text[i] == '.' && text[i + 1] >= '0' && text[i + 1] <= '9';
    if (!digit && !point)
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

std::string FormatRealTwoPlaces(double value)
{
    // Large enough for the widest double in fixed notation.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}
