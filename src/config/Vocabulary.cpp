#include "config/Vocabulary.h"

#include "config/NumberText.h"
#include "text/AsciiCase.h"

std::string yesNoText(bool value)
{
    return value ? "YES" : "NO";
}

namespace {

// Each vocabulary's words, in code order: written once, read and written
// from here.
constexpr std::string_view kPriorityNames[] = {"LOW", "MED", "HIGH"};
constexpr std::string_view kMediumNames[] = {"PAPER", "FILM"};
constexpr std::string_view kDestinationNames[] = {"MAGAZINE", "PROCESSOR"};
constexpr std::string_view kOrientationNames[] = {"PORTRAIT", "LANDSCAPE"};

// The word of code; the word of fallback for a code beyond the words.
template <std::size_t N> std::string textOf(int code, const std::string_view (&words)[N], int fallback)
{
    const bool known = code >= 0 && static_cast<std::size_t>(code) < N;
    return std::string(words[known ? code : fallback]);
}

// The code of the first of words equal to word; fallback when none is.
template <std::size_t N>
int codeOf(std::string_view word, const std::string_view (&words)[N], int fallback, bool* known)
{
    for (std::size_t code = 0; code < N; ++code) {
        if (equalIgnoringAsciiCase(word, words[code])) {
            if (known)
                *known = true;
            return static_cast<int>(code);
        }
    }
    if (known)
        *known = false;
    return fallback;
}

// 1 yes, 0 no, -1 neither.
int readYesNo(std::string_view value)
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
    if (word == "1" || equalIgnoringAsciiCase(word, "YES") || equalIgnoringAsciiCase(word, "TRUE"))
        return 1;
    if (word == "0" || equalIgnoringAsciiCase(word, "NO") || equalIgnoringAsciiCase(word, "FALSE"))
        return 0;
    return -1;
}

} // namespace

// A code beyond the words is written as the word the server takes for it:
// MED, PAPER, PROCESSOR, PORTRAIT.
std::string priorityText(int code)
{
    return textOf(code, kPriorityNames, 1);
}

std::string mediumText(int code)
{
    return textOf(code, kMediumNames, 0);
}

std::string destinationText(int code)
{
    return textOf(code, kDestinationNames, 1);
}

std::string orientationText(int code)
{
    return textOf(code, kOrientationNames, 0);
}

int priorityCode(std::string_view word, bool* known)
{
    return codeOf(word, kPriorityNames, 1, known);
}

int mediumCode(std::string_view word, bool* known)
{
    return codeOf(word, kMediumNames, 0, known);
}

int destinationCode(std::string_view word, bool* known)
{
    return codeOf(word, kDestinationNames, 0, known);
}

int orientationCode(std::string_view word, bool* known)
{
    return codeOf(word, kOrientationNames, 0, known);
}

bool parseYesNo(std::string_view value, bool fallback, bool* known)
{
    const int read = readYesNo(value);
    if (known)
        *known = read >= 0;
    return read < 0 ? fallback : read == 1;
}

DensityMode DensityMode::fromText(const std::string& text, bool* known)
{
    // The words are the ones toText writes.
    for (const DensityMode word : {black(), white()}) {
        if (equalIgnoringAsciiCase(text, word.toText())) {
            if (known)
                *known = true;
            return word;
        }
    }
    return custom(parseInteger(text, known));
}

std::string DensityMode::toText() const
{
    if (m_mode == DensityWhite)
        return "WHITE";
    if (m_mode == DensityCustom)
        return formatInteger(m_value);
    return "BLACK";
}
