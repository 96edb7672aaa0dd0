#include "config/Vocabulary.h"

#include "config/NumberText.h"
#include "text/AsciiCase.h"

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

namespace {

// The code of the first of words equal to word; fallback when none is.
template <std::size_t N>
int CodeOf(std::string_view word, const std::string_view (&words)[N], int fallback, bool* known)
{
    for (std::size_t code = 0; code < N; ++code) {
        if (EqualIgnoringAsciiCase(word, words[code])) {
            if (known)
                *known = true;
            return static_cast<int>(code);
        }
    }
    if (known)
        *known = false;
    return fallback;
}

constexpr std::string_view kPriorityNames[] = {"LOW", "MED", "HIGH"};
constexpr std::string_view kMediumNames[] = {"PAPER", "FILM"};
constexpr std::string_view kDestinationNames[] = {"MAGAZINE", "PROCESSOR"};
constexpr std::string_view kOrientationNames[] = {"PORTRAIT", "LANDSCAPE"};

// 1 yes, 0 no, -1 neither.
int ReadYesNo(std::string_view value)
{
    // The longest word is "FALSE": a value with more letters is none of them.
    char compact[6];
    std::size_t length = 0;
    for (char c : value) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (length == sizeof compact)
            return -1;
        compact[length++] = c;
    }
    const std::string_view word(compact, length);
    if (word == "1" || EqualIgnoringAsciiCase(word, "YES") || EqualIgnoringAsciiCase(word, "TRUE"))
        return 1;
    if (word == "0" || EqualIgnoringAsciiCase(word, "NO") || EqualIgnoringAsciiCase(word, "FALSE"))
        return 0;
    return -1;
}

} // namespace

int PriorityCode(std::string_view word, bool* known)
{
    return CodeOf(word, kPriorityNames, 1, known);
}

int MediumCode(std::string_view word, bool* known)
{
    return CodeOf(word, kMediumNames, 0, known);
}

int DestinationCode(std::string_view word, bool* known)
{
    return CodeOf(word, kDestinationNames, 0, known);
}

int OrientationCode(std::string_view word, bool* known)
{
    return CodeOf(word, kOrientationNames, 0, known);
}

bool ParseYesNo(std::string_view value, bool fallback, bool* known)
{
    const int read = ReadYesNo(value);
    if (known)
        *known = read >= 0;
    return read < 0 ? fallback : read == 1;
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
