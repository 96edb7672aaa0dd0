#include "config/Vocabulary.h"

#include "config/NumberText.h"

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string YesNoText(bool value)
{
    return value ? "YES" : "NO";
}

std::string PriorityText(int code)
{
    if (code == 0)
        return "LOW";
    if (code == 2)
        return "HIGH";
    return "MED";
}

std::string MediumText(int code)
{
    return code == 1 ? "FILM" : "PAPER";
}
std::string DestinationText(int code)
{
    return code == 0 ? "MAGAZINE" : "PROCESSOR";
}
std::string OrientationText(int code)
{
    return code == 1 ? "LANDSCAPE" : "PORTRAIT";
}

int PriorityCode(std::string_view word)
{
    if (EqualIgnoringAsciiCase(word, "LOW"))
        return 0;
    if (EqualIgnoringAsciiCase(word, "HIGH"))
        return 2;
    return 1;
}

int MediumCode(std::string_view word)
{
    return EqualIgnoringAsciiCase(word, "FILM") ? 1 : 0;
}
int DestinationCode(std::string_view word)
{
    return EqualIgnoringAsciiCase(word, "PROCESSOR") ? 1 : 0;
}
int OrientationCode(std::string_view word)
{
    return EqualIgnoringAsciiCase(word, "LANDSCAPE") ? 1 : 0;
}

bool ParseYesNo(std::string_view value, bool fallback)
{
    // The longest word is "FALSE": a value with more letters is none of them.
    char compact[6];
    std::size_t length = 0;
    for (char c : value) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (length == sizeof compact)
            return fallback;
        compact[length++] = c;
    }
    const std::string_view word(compact, length);
    if (word == "1" || EqualIgnoringAsciiCase(word, "YES") || EqualIgnoringAsciiCase(word, "TRUE"))
        return true;
    if (word == "0" || EqualIgnoringAsciiCase(word, "NO") || EqualIgnoringAsciiCase(word, "FALSE"))
        return false;
    return fallback;
}

DensityMode DensityMode::FromText(const std::string& text)
{
    const std::string upper = UpperAscii(text);
    if (upper == "BLACK")
        return Black();
    if (upper == "WHITE")
        return White();
    return Custom(ParseInteger(text));
}

std::string DensityMode::ToText() const
{
    if (m_mode == DensityWhite)
        return "WHITE";
    if (m_mode == DensityCustom)
        return FormatInteger(m_value);
    return "BLACK";
}
