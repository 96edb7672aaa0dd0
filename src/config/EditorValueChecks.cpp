// Value checking: a value as typed or as JSON becomes the file's value text
// of its key, checked by the key's rules.

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>

#include "config/EditorSteps.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"

namespace {

std::string exactReal(double value);

// The range of an integer: the key's rule, else any 32-bit value, as its
// field takes.
template <typename Record> Bounds<int> rangeOf(const KeyDef<Record>& def)
{
    return def.rule.accepted.value_or(Bounds<int>{INT_MIN, INT_MAX});
}

// The range of a real: the key's rule, else any finite number.
template <typename Record> Bounds<double> realRangeOf(const KeyDef<Record>& def)
{
    return def.rule.acceptedReal.value_or(Bounds<double>{-HUGE_VAL, HUGE_VAL});
}

template <typename Record> bool inRealRange(const KeyDef<Record>& def, double value)
{
    const Bounds<double> range = realRangeOf(def);
    return std::isfinite(value) && value >= range.low && value <= range.high;
}

std::string joined(const std::vector<std::string>& words)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}

// What a field wants, for the message that refuses a value.
template <typename Record> std::string wanted(const KeyDef<Record>& def, bool json)
{
    if (def.rule.density)
        return DensityMode::black().toText() + ", " + DensityMode::white().toText() + " or an integer";
    switch (def.type) {
    case KeyType::Integer: {
        const Bounds<int> range = rangeOf(def);
        return "an integer from " + std::to_string(range.low) + " to " + std::to_string(range.high);
    }
    case KeyType::Real:
        if (def.rule.acceptedReal)
            return "a number from " + exactReal(def.rule.acceptedReal->low) + " to " +
                   exactReal(def.rule.acceptedReal->high);
        return "a number";
    case KeyType::YesNo:
        return json ? "true or false" : "YES or NO";
    case KeyType::Word:
        return "one of " + joined(vocabularyWords(*def.words));
    case KeyType::Text:
        break;
    }
    return "a text";
}

// Control characters (escape, bell, ...) have no place in the file: the
// server would take them as they are, and a terminal that shows them obeys.
bool holdsControlCharacter(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

// Whether a text reads back from its key line as it is: the reader drops
// tabs and line breaks and the blanks at either end of a value.
bool readsBackAsGiven(std::string_view bytes)
{
    if (holdsControlCharacter(bytes))
        return false;
    return bytes.empty() || (bytes.front() != ' ' && bytes.back() != ' ');
}

// Whether a name works as a section header "[NAME]": one '[' opens it, the
// first ']' closes it, a line break would split it. The editor also wants
// one that is not empty.
bool usableAsSectionName(std::string_view bytes)
{
    if (bytes.empty() || holdsControlCharacter(bytes))
        return false;
    return bytes.front() != '[' && bytes.find(']') == std::string_view::npos;
}

// A real as the shortest text that reads back as the same double, so that
// a value given goes into the record exactly (the writer then rounds it).
std::string exactReal(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

bool EditorSteps::fail(const std::string& where, const std::string& what)
{
    m_editor.m_error = where.empty() ? what : where + ": " + what;
    return false;
}

// A text as stored: encoded in the file's code page and checked.
bool EditorSteps::storedText(std::string_view utf8, bool name, const std::string& where, std::string& bytes)
{
    std::string refused;
    if (!encodeText(utf8, m_editor.m_config.Encoding, bytes, refused)) {
        if (refused == "invalid UTF-8")
            return fail(where, "wants a text in UTF-8");
        return fail(where, "the file's code page " + std::string(encodingName(m_editor.m_config.Encoding)) +
                               " cannot hold " + refused + " (set Encoding to UTF-8 to store it)");
    }
    if (name ? !usableAsSectionName(bytes) : !readsBackAsGiven(bytes))
        return fail(where, std::string("wants ") + (name ? kNameRule : kTextRule) + " (got " + shownText(utf8) + ")");
    return true;
}

// A JSON string, or under lenient typing a number taken as its digits.
bool EditorSteps::jsonString(const Json& value, const std::string& where, std::string& utf8)
{
    if (value.is_string()) {
        utf8 = value.get<std::string>();
        return true;
    }
    if (m_editor.m_typing == JsonTyping::Lenient && value.is_number()) {
        utf8 = value.is_number_float() ? exactReal(value.get<double>()) : value.dump();
        m_editor.m_conversions.push_back(where + ": the number " + jsonExcerpt(value) + " was taken as the text '" +
                                         utf8 + "'");
        return true;
    }
    return false;
}

// The value text of def's field for a value as typed.
template <typename Record>
bool EditorSteps::typedValue(const KeyDef<Record>& def, std::string_view typed, const std::string& where,
                             std::string& text)
{
    bool whole = false;
    switch (def.type) {
    case KeyType::Integer: {
        const int value = parseInteger(typed, &whole);
        const Bounds<int> range = rangeOf(def);
        if (whole && value >= range.low && value <= range.high) {
            text = formatInteger(value);
            return true;
        }
        break;
    }
    case KeyType::Real: {
        const double value = parseReal(typed, &whole);
        if (whole && inRealRange(def, value)) {
            text = exactReal(value);
            return true;
        }
        break;
    }
    case KeyType::YesNo: {
        const bool value = parseYesNo(typed, false, &whole);
        if (whole) {
            text = yesNoText(value);
            return true;
        }
        break;
    }
    case KeyType::Word: {
        const int code = def.words->code(typed, &whole);
        if (whole) {
            text = def.words->text(code);
            return true;
        }
        break;
    }
    case KeyType::Text:
        if (!storedText(typed, false, where, text))
            return false;
        if (!def.rule.density)
            return true;
        if (const DensityMode density = DensityMode::fromText(text, &whole); whole) {
            text = density.toText();
            return true;
        }
        break;
    }
    return fail(where, "wants " + wanted(def, false) + " (got " + shownText(typed) + ")");
}

// The value text of def's field for a JSON value.
template <typename Record>
bool EditorSteps::jsonValue(const KeyDef<Record>& def, const Json& value, const std::string& where, std::string& text)
{
    const bool lenient = m_editor.m_typing == JsonTyping::Lenient;
    switch (def.type) {
    case KeyType::Integer:
        if (value.is_number_integer()) {
            const Bounds<int> range = rangeOf(def);
            // Large positive numbers come as unsigned, the rest as signed.
            const bool inRange =
                value.is_number_unsigned()
                    ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(range.high) &&
                          static_cast<std::int64_t>(value.get<std::uint64_t>()) >= range.low
                    : value.get<std::int64_t>() >= range.low && value.get<std::int64_t>() <= range.high;
            if (inRange) {
                text = value.dump();
                return true;
            }
        } else if (lenient && value.is_string()) {
            return typedValue(def, value.get<std::string>(), where, text);
        }
        break;
    case KeyType::Real:
        if (value.is_number() && inRealRange(def, value.get<double>())) {
            text = exactReal(value.get<double>());
            return true;
        }
        if (lenient && value.is_string())
            return typedValue(def, value.get<std::string>(), where, text);
        break;
    case KeyType::YesNo:
        if (value.is_boolean()) {
            text = yesNoText(value.get<bool>());
            return true;
        }
        if (lenient && value.is_number_integer() && (value == 0 || value == 1)) {
            text = yesNoText(value == 1);
            return true;
        }
        if (lenient && value.is_string())
            return typedValue(def, value.get<std::string>(), where, text);
        break;
    case KeyType::Word:
        if (value.is_string())
            return typedValue(def, value.get<std::string>(), where, text);
        break;
    case KeyType::Text: {
        std::string utf8;
        if (jsonString(value, where, utf8))
            return typedValue(def, utf8, where, text);
        break;
    }
    }
    return fail(where, "wants " + wanted(def, true) + " (got " + jsonExcerpt(value) + ")");
}

// Sets def's field from a checked value text, as the reader reads it.
template <typename Record>
void EditorSteps::store(const KeyDef<Record>& def, Record& record, const std::string& text, const std::string& where)
{
    assign(def, record, text);
    if constexpr (std::is_same_v<Record, Configuration>)
        if (def.written)
            m_editor.m_writtenChecks.push_back({where, text, &def});
}

std::string shownText(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    // Cut at 60 bytes, not inside a character.
    std::size_t cut = std::min<std::size_t>(text.size(), 60);
    while (cut < text.size() && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::string shown = "'";
    for (const char c : text.substr(0, cut)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        else
            shown += c;
    }
    return shown + (cut < text.size() ? "'..." : "'");
}

// The records whose fields the editor sets.
template bool EditorSteps::typedValue(const KeyDef<Configuration>&, std::string_view, const std::string&, std::string&);
template bool EditorSteps::jsonValue(const KeyDef<Configuration>&, const Json&, const std::string&, std::string&);
template void EditorSteps::store(const KeyDef<Configuration>&, Configuration&, const std::string&, const std::string&);
template bool EditorSteps::typedValue(const KeyDef<LayoutRecord>&, std::string_view, const std::string&, std::string&);
template bool EditorSteps::jsonValue(const KeyDef<LayoutRecord>&, const Json&, const std::string&, std::string&);
template void EditorSteps::store(const KeyDef<LayoutRecord>&, LayoutRecord&, const std::string&, const std::string&);
template bool EditorSteps::typedValue(const KeyDef<PrinterRecord>&, std::string_view, const std::string&, std::string&);
template bool EditorSteps::jsonValue(const KeyDef<PrinterRecord>&, const Json&, const std::string&, std::string&);
template void EditorSteps::store(const KeyDef<PrinterRecord>&, PrinterRecord&, const std::string&, const std::string&);
template bool EditorSteps::typedValue(const KeyDef<PaperRecord>&, std::string_view, const std::string&, std::string&);
template bool EditorSteps::jsonValue(const KeyDef<PaperRecord>&, const Json&, const std::string&, std::string&);
template void EditorSteps::store(const KeyDef<PaperRecord>&, PaperRecord&, const std::string&, const std::string&);
template bool EditorSteps::typedValue(const KeyDef<HeaderRecord>&, std::string_view, const std::string&, std::string&);
template bool EditorSteps::jsonValue(const KeyDef<HeaderRecord>&, const Json&, const std::string&, std::string&);
template void EditorSteps::store(const KeyDef<HeaderRecord>&, HeaderRecord&, const std::string&, const std::string&);
