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

int PriorityCode(const std::string& word)
{
    const std::string upper = UpperAscii(word);
    if (upper == "LOW")
        return 0;
    if (upper == "HIGH")
        return 2;
    return 1;
}

int MediumCode(const std::string& word)
{
    return UpperAscii(word) == "FILM" ? 1 : 0;
}
int DestinationCode(const std::string& word)
{
    return UpperAscii(word) == "PROCESSOR" ? 1 : 0;
}
int OrientationCode(const std::string& word)
{
    return UpperAscii(word) == "LANDSCAPE" ? 1 : 0;
}

bool ParseYesNo(const std::string& value, bool fallback)
{
    std::string compact;
    compact.reserve(value.size());
    for (char c : value)
        if (c != ' ' && c != '\t' && c != '\n')
            compact += c;
    if (compact == "1")
        return true;
    compact = UpperAscii(compact);
    if (compact == "YES" || compact == "TRUE")
        return true;
    if (compact == "0" || compact == "NO" || compact == "FALSE")
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
