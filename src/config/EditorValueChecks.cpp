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

// The range of an integer: the key's rule where the editor's rules hold,
// else any 32-bit value, as its field takes.
template <typename Record> Bounds<int> rangeOf(const KeyDef<Record>& def, bool editorRules)
{
    if (editorRules && def.rule.accepted)
        return *def.rule.accepted;
    return {INT_MIN, INT_MAX};
}

// A text that the editor offers as BLACK, WHITE or a number, where the
// editor's rules hold.
template <typename Record> bool isDensity(const KeyDef<Record>& def, bool editorRules)
{
    return editorRules && def.rule.density;
}

std::string joined(const std::vector<std::string>& words)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}

// What a field wants, for the message that refuses a value.
template <typename Record> std::string wanted(const KeyDef<Record>& def, bool json, bool editorRules)
{
    if (isDensity(def, editorRules))
        return DensityMode::black().toText() + ", " + DensityMode::white().toText() + " or an integer";
    switch (def.type) {
    case KeyType::Integer: {
        const Bounds<int> range = rangeOf(def, editorRules);
        return "an integer from " + std::to_string(range.low) + " to " + std::to_string(range.high);
    }
    case KeyType::Real:
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

// Whether a text reads back from its key line as it is: the reader drops
// tabs and line breaks and the blanks at either end of a value.
bool readsBackAsGiven(std::string_view bytes)
{
    if (bytes.find_first_of("\r\n\t") != std::string_view::npos)
        return false;
    return bytes.empty() || (bytes.front() != ' ' && bytes.back() != ' ');
}

// Whether a name works as a section header "[NAME]": one '[' opens it, the
// first ']' closes it, a line break would split it. The editor also wants
// one that is not empty.
bool usableAsSectionName(std::string_view bytes, bool editorRules)
{
    if (bytes.empty())
        return !editorRules;
    return bytes.front() != '[' && bytes.find_first_of("]\r\n") == std::string_view::npos;
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
    if (name ? !usableAsSectionName(bytes, m_editor.m_editorRules) : !readsBackAsGiven(bytes))
        return fail(where,
                    std::string("wants ") + (name ? kNameRule : kTextRule) + " (got '" + textExcerpt(utf8) + "')");
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
        const Bounds<int> range = rangeOf(def, m_editor.m_editorRules);
        if (whole && value >= range.low && value <= range.high) {
            text = formatInteger(value);
            return true;
        }
        break;
    }
    case KeyType::Real: {
        const double value = parseReal(typed, &whole);
        if (whole && std::isfinite(value)) {
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
        if (!isDensity(def, m_editor.m_editorRules))
            return true;
        if (const DensityMode density = DensityMode::fromText(text, &whole); whole) {
            text = density.toText();
            return true;
        }
        break;
    }
    return fail(where, "wants " + wanted(def, false, m_editor.m_editorRules) + " (got '" + textExcerpt(typed) + "')");
}

// The value text of def's field for a JSON value.
template <typename Record>
bool EditorSteps::jsonValue(const KeyDef<Record>& def, const Json& value, const std::string& where, std::string& text)
{
    const bool lenient = m_editor.m_typing == JsonTyping::Lenient;
    switch (def.type) {
    case KeyType::Integer:
        if (value.is_number_integer()) {
            const Bounds<int> range = rangeOf(def, m_editor.m_editorRules);
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
        if (value.is_number()) {
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
    return fail(where, "wants " + wanted(def, true, m_editor.m_editorRules) + " (got " + jsonExcerpt(value) + ")");
}

// Sets def's field from a checked value text, as the reader reads it.
template <typename Record>
void EditorSteps::store(const KeyDef<Record>& def, Record& record, const std::string& text, const std::string& where)
{
    readValue(def, record, text);
    if constexpr (std::is_same_v<Record, Configuration>)
        if (def.written)
            m_editor.m_writtenChecks.push_back({where, text, &def});
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
