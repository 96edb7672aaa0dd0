#pragma once

#include <string>
#include <string_view>

// Letter case as the file format and Windows file names know it: only the
// 26 ASCII letters have a case, whatever the user's locale says, so that a
// file reads the same everywhere and no byte of another code page changes.

constexpr char toUpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string upperAscii(std::string text)
{
    for (char& c : text)
        c = toUpperAscii(c);
    return text;
}

constexpr bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toUpperAscii(a[i]) != toUpperAscii(b[i]))
            return false;
    return true;
}

constexpr bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && equalIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}
