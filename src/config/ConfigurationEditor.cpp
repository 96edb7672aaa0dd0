#include "config/ConfigurationEditor.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "config/ConfigFields.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"
#include "text/AsciiCase.h"

namespace {

// The editor's ranges (the DICOM page's fields); every other integer takes
// any 32-bit value, as its field does.
struct IntegerRange {
    std::string_view key;
    int low;
    int high;
};
constexpr IntegerRange kEditorRanges[] = {{"Copies", 1, 1000}, {"Port", 0, 65535}};

// Texts the editor offers as BLACK, WHITE or a number (the Additional
// Settings page's densities), written as DensityMode writes them.
constexpr std::string_view kDensityKeys[] = {"BorderDensity", "EmptyImageDensity"};

template <typename Record> IntegerRange rangeOf(const KeyDef<Record>& def, bool editorRules)
{
    if constexpr (std::is_same_v<Record, Configuration>)
        for (const IntegerRange& range : kEditorRanges)
            if (editorRules && range.key == def.key)
                return range;
    return {def.key, INT_MIN, INT_MAX};
}

template <typename Record> bool isDensity(const KeyDef<Record>& def, bool editorRules)
{
    if constexpr (std::is_same_v<Record, LayoutRecord>)
        for (const std::string_view key : kDensityKeys)
            if (editorRules && key == def.key)
                return true;
    return false;
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
        return "BLACK, WHITE or an integer";
    switch (def.type) {
    case KeyType::Integer: {
        const IntegerRange range = rangeOf(def, editorRules);
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

std::string shown(const Json& value)
{
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (text.size() > 60)
        text = text.substr(0, 57) + "...";
    return text;
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

constexpr const char* kTextRule = "a text without line breaks, tabs or blanks at either end";
constexpr const char* kNameRule = "a name that is not empty, does not start with '[' and holds no ']' or line break";

} // namespace

// The steps of an edit, with access to the editor's state.
class EditorSteps {
  public:
    explicit EditorSteps(ConfigurationEditor& editor) : e(editor) {}

    bool fail(const std::string& where, const std::string& what)
    {
        e.m_error = where.empty() ? what : where + ": " + what;
        return false;
    }

    // --- Texts ------------------------------------------------------------

    // A text as stored: encoded in the file's code page and checked.
    bool storedText(std::string_view utf8, bool name, const std::string& where, std::string& bytes)
    {
        std::string refused;
        if (!encodeText(utf8, e.m_config.Encoding, bytes, refused)) {
            if (refused == "invalid UTF-8")
                return fail(where, "wants a text in UTF-8");
            return fail(where, "the file's code page " + std::string(encodingName(e.m_config.Encoding)) +
                                   " cannot hold " + refused + " (set Encoding to UTF-8 to store it)");
        }
        if (name ? !usableAsSectionName(bytes, e.m_editorRules) : !readsBackAsGiven(bytes))
            return fail(where,
                        std::string("wants ") + (name ? kNameRule : kTextRule) + " (got '" + std::string(utf8) + "')");
        return true;
    }

    // A JSON string, or under lenient typing a number taken as its digits.
    bool jsonString(const Json& value, const std::string& where, std::string& utf8)
    {
        if (value.is_string()) {
            utf8 = value.get<std::string>();
            return true;
        }
        if (e.m_typing == JsonTyping::Lenient && value.is_number()) {
            utf8 = value.is_number_float() ? exactReal(value.get<double>()) : value.dump();
            e.m_conversions.push_back(where + ": the number " + value.dump() + " was taken as the text '" + utf8 + "'");
            return true;
        }
        return false;
    }

    // --- Values -------------------------------------------------------------

    // The value text of def's field for a value as typed.
    template <typename Record>
    bool typedValue(const KeyDef<Record>& def, std::string_view typed, const std::string& where, std::string& text)
    {
        bool whole = false;
        switch (def.type) {
        case KeyType::Integer: {
            const int value = parseInteger(typed, &whole);
            const IntegerRange range = rangeOf(def, e.m_editorRules);
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
            if (!isDensity(def, e.m_editorRules))
                return true;
            if (const std::string upper = upperAscii(text); upper == "BLACK" || upper == "WHITE") {
                text = upper;
                return true;
            }
            parseInteger(text, &whole);
            if (whole) {
                text = DensityMode::fromText(text).toText();
                return true;
            }
            break;
        }
        return fail(where, "wants " + wanted(def, false, e.m_editorRules) + " (got '" + std::string(typed) + "')");
    }

    // The value text of def's field for a JSON value.
    template <typename Record>
    bool jsonValue(const KeyDef<Record>& def, const Json& value, const std::string& where, std::string& text)
    {
        const bool lenient = e.m_typing == JsonTyping::Lenient;
        switch (def.type) {
        case KeyType::Integer:
            if (value.is_number_integer()) {
                const IntegerRange range = rangeOf(def, e.m_editorRules);
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
        return fail(where, "wants " + wanted(def, true, e.m_editorRules) + " (got " + shown(value) + ")");
    }

    // Sets def's field from a checked value text, as the reader reads it.
    template <typename Record>
    void store(const KeyDef<Record>& def, Record& record, const std::string& text, const std::string& where)
    {
        readValue(def, record, text);
        if constexpr (std::is_same_v<Record, Configuration>)
            if (def.written)
                e.m_writtenChecks.push_back({where, text, &def});
    }

    // --- Encoding -------------------------------------------------------------

    template <typename Record>
    bool transcodeFields(std::span<const KeyDef<Record>> keys, Record& record, TextEncoding from,
                         const std::string& where)
    {
        for (const KeyDef<Record>& def : keys) {
            if (def.readOnly || def.written || def.type != KeyType::Text)
                continue;
            std::string bytes;
            if (!transcode(writtenValue(def, record), from, where + std::string(def.key), bytes))
                return false;
            readValue(def, record, bytes);
        }
        return true;
    }

    bool transcode(std::string_view old, TextEncoding from, const std::string& field, std::string& bytes)
    {
        std::string refused;
        if (encodeText(decodeText(old, from), e.m_config.Encoding, bytes, refused))
            return true;
        return fail(std::string(kEncodingField),
                    std::string(encodingName(e.m_config.Encoding)) + " cannot hold " + refused + " of " + field);
    }

    template <typename Record> bool transcodeList(TextEncoding from)
    {
        using Traits = ListTraits<Record>;
        for (Record& record : Traits::list(e.m_config)) {
            const std::string where = std::string(Traits::name) + "[" + decodeText(recordKey(record), from) + "].";
            if constexpr (Traits::named)
                if (!transcode(std::string(record.Name), from, where + "Name", record.Name))
                    return false;
            if (!transcodeFields(Traits::keys(), record, from, where))
                return false;
        }
        return true;
    }

    // Stores every text of the configuration in another code page.
    bool changeEncoding(TextEncoding to)
    {
        const TextEncoding from = e.m_config.Encoding;
        if (from == to)
            return true;
        e.m_config.Encoding = to;
        for (const SectionDef& section : fileSections()) {
            const bool done = section.kind == SectionKind::Settings
                                  ? transcodeFields(section.settingsKeys, e.m_config, from, "")
                              : section.kind == SectionKind::Layout
                                  ? transcodeFields(section.layoutKeys, e.m_config.Layout, from, "Layout.")
                              : section.kind == SectionKind::Printers ? transcodeList<PrinterRecord>(from)
                              : section.kind == SectionKind::Papers   ? transcodeList<PaperRecord>(from)
                                                                      : transcodeList<HeaderRecord>(from);
            if (!done)
                return false;
        }
        return true;
    }

    bool jsonEncoding(const Json& value)
    {
        const std::string field(kEncodingField);
        const std::optional<TextEncoding> encoding =
            value.is_string() ? encodingNamed(value.get<std::string>()) : std::nullopt;
        if (!encoding)
            return fail(field, "wants \"UTF-8\" or \"Windows-1252\" (got " + shown(value) + ")");
        return changeEncoding(*encoding);
    }

    // --- Records --------------------------------------------------------------

    // The stored key of a record named in a path or a JSON entry.
    template <typename Record> bool storedKey(std::string_view utf8, const std::string& where, std::string& key)
    {
        return storedText(utf8, ListTraits<Record>::named, where, key);
    }

    template <typename Record> Record* find(const std::string& key)
    {
        for (Record& record : ListTraits<Record>::list(e.m_config))
            if (recordKey(record) == key)
                return &record;
        return nullptr;
    }

    template <typename Record> Record& append(const std::string& key)
    {
        using Traits = ListTraits<Record>;
        Record record;
        if constexpr (Traits::named)
            record.Name = key;
        else
            readValue(*fieldDef(Traits::keys(), Traits::keyField), record, key);
        Traits::list(e.m_config).add(record);
        return *Traits::list(e.m_config).at(Traits::list(e.m_config).size() - 1);
    }

    template <typename Record> void removeAll(const std::string& key)
    {
        using Traits = ListTraits<Record>;
        std::vector<std::ptrdiff_t> positions;
        std::ptrdiff_t position = 0;
        for (const Record& record : Traits::list(e.m_config)) {
            if (recordKey(record) == key)
                positions.push_back(position);
            ++position;
        }
        Traits::list(e.m_config).removeAtPositions(std::move(positions));
        e.m_removed[static_cast<int>(Traits::kind)].insert(key);
    }

    // A new name for a paper or header bitmap; no other record may hold it,
    // since a file gives both sections to the first.
    template <typename Record> bool rename(Record& record, std::string_view utf8, const std::string& where)
    {
        std::string name;
        if (!storedText(utf8, true, where, name))
            return false;
        if (const Record* other = find<Record>(name); other && other != &record)
            return fail(where, "'" + std::string(utf8) + "' names another " +
                                   (ListTraits<Record>::kind == ListKind::Papers ? "paper size" : "header bitmap") +
                                   " already");
        record.Name = name;
        return true;
    }

    template <typename Record>
    bool recordFieldJson(Record& record, const std::string& field, const Json& value, const std::string& where)
    {
        using Traits = ListTraits<Record>;
        if constexpr (Traits::named)
            if (field == "Name") {
                std::string utf8;
                if (!jsonString(value, where, utf8))
                    return fail(where, std::string("wants ") + kNameRule + " (got " + shown(value) + ")");
                return rename(record, utf8, where);
            }
        const KeyDef<Record>* def = fieldDef(Traits::keys(), field);
        std::string text;
        if (!def) {
            std::string message;
            FieldPath ignored;
            parseFieldPath(std::string(Traits::name) + "[]." + field, ignored, message);
            const std::size_t hint = message.find(" (did you mean");
            return fail(where.substr(0, where.rfind('.')),
                        "unknown field '" + field + "'" + (hint == std::string::npos ? "" : message.substr(hint)));
        }
        if (!jsonValue(*def, value, where, text))
            return false;
        readValue(*def, record, text);
        return true;
    }

    // One list of a JSON record: entries appended (import) or matched by key.
    template <typename Record> bool jsonList(const Json& list, bool import)
    {
        using Traits = ListTraits<Record>;
        const std::string name(Traits::name);
        const std::string keyField(Traits::keyField);
        if (!list.is_array())
            return fail(name, "wants a list of objects (got " + shown(list) + ")");
        std::set<std::string> given;
        std::size_t number = 0;
        for (const Json& entry : list) {
            ++number;
            std::string where = name + " entry " + std::to_string(number);
            if (!entry.is_object())
                return fail(where, "wants an object (got " + shown(entry) + ")");
            std::string key, keyUtf8;
            const bool hasKey = entry.contains(keyField);
            if (hasKey) {
                if (!jsonString(entry[keyField], where + "." + keyField, keyUtf8))
                    return fail(where + "." + keyField, std::string("wants ") +
                                                            (Traits::named ? kNameRule : kTextRule) + " (got " +
                                                            shown(entry[keyField]) + ")");
                where = name + "[" + keyUtf8 + "]";
                if (!storedKey<Record>(keyUtf8, where + "." + keyField, key))
                    return false;
            } else if (Traits::named || !import) {
                return fail(where, "wants its " + keyField + (import ? "" : ", to find the record"));
            }
            // The reader gives a paper or header section the first record of its
            // name, so a name cannot stand twice; set names each record once.
            if (hasKey && (Traits::named || !import) && !given.insert(key).second)
                return fail(where, "is given twice");
            if (!import && e.m_removed[static_cast<int>(Traits::kind)].count(key))
                return fail(where, "is both set and removed");
            Record* record = import ? nullptr : find<Record>(key);
            if (!record && import && Traits::named && find<Record>(key))
                return fail(where, "is given twice");
            if (!record)
                record = hasKey ? &append<Record>(key) : &append<Record>(std::string());
            for (const auto& [field, value] : entry.items()) {
                if (field == keyField && !import)
                    continue;
                if (!recordFieldJson(*record, field, value, where + "." + field))
                    return false;
            }
        }
        return true;
    }

    bool jsonLayout(const Json& layout)
    {
        if (!layout.is_object())
            return fail("Layout", "wants an object (got " + shown(layout) + ")");
        for (const auto& [field, value] : layout.items()) {
            const std::string where = "Layout." + field;
            const KeyDef<LayoutRecord>* def = layoutField(field);
            std::string text, message;
            if (!def) {
                FieldPath ignored;
                parseFieldPath(where, ignored, message);
                return fail("", message);
            }
            if (!jsonValue(*def, value, where, text))
                return false;
            readValue(*def, e.m_config.Layout, text);
        }
        return true;
    }

    bool jsonSetting(const std::string& field, const Json& value)
    {
        const KeyDef<Configuration>* def = settingsField(field);
        if (!def) {
            std::string message;
            FieldPath ignored;
            parseFieldPath(field, ignored, message);
            const std::size_t hint = message.find(" (did you mean");
            return fail("", "unknown field '" + field + "'" + (hint == std::string::npos ? "" : message.substr(hint)));
        }
        std::string text;
        if (!jsonValue(*def, value, field, text))
            return false;
        store(*def, e.m_config, text, field);
        return true;
    }

    // --- Paths ------------------------------------------------------------------

    template <typename Record>
    bool setRecordField(const FieldPath& path, std::string_view value, const std::string& where)
    {
        using Traits = ListTraits<Record>;
        std::string key;
        if (!storedKey<Record>(path.key, where, key))
            return false;
        Record* record = find<Record>(key);
        if (!record)
            record = &append<Record>(key);
        if constexpr (Traits::named)
            if (path.field == "Name")
                return rename(*record, value, where);
        const KeyDef<Record>& def = *fieldDef(Traits::keys(), path.field);
        std::string text;
        if (!typedValue(def, value, where, text))
            return false;
        readValue(def, *record, text);
        return true;
    }

    bool setPath(std::string_view pathText, std::string_view value)
    {
        const std::string where(pathText);
        FieldPath path;
        std::string message, text;
        if (!parseFieldPath(pathText, path, message))
            return fail("", message);
        switch (path.kind) {
        case FieldPath::Kind::Encoding: {
            const std::optional<TextEncoding> encoding = encodingNamed(value);
            if (!encoding)
                return fail(where, "wants UTF-8 or Windows-1252 (got '" + std::string(value) + "')");
            return changeEncoding(*encoding);
        }
        case FieldPath::Kind::Setting: {
            const KeyDef<Configuration>& def = *settingsField(path.field);
            if (!typedValue(def, value, where, text))
                return false;
            store(def, e.m_config, text, where);
            return true;
        }
        case FieldPath::Kind::Layout: {
            const KeyDef<LayoutRecord>& def = *layoutField(path.field);
            if (!typedValue(def, value, where, text))
                return false;
            readValue(def, e.m_config.Layout, text);
            return true;
        }
        case FieldPath::Kind::Record:
            return fail("'" + where + "'", "wants '.' and a field after the record, as in " + where + "." +
                                               (path.list == ListKind::Printers ? "PrinterAddress"
                                                : path.list == ListKind::Papers ? "SizeX"
                                                                                : "IncludeFile"));
        case FieldPath::Kind::RecordField:
            break;
        }
        switch (path.list) {
        case ListKind::Printers:
            return setRecordField<PrinterRecord>(path, value, where);
        case ListKind::Papers:
            return setRecordField<PaperRecord>(path, value, where);
        case ListKind::Headers:
            break;
        }
        return setRecordField<HeaderRecord>(path, value, where);
    }

    template <typename Record> void removeKey(std::string_view utf8)
    {
        // A key the code page cannot hold names no record.
        std::string key, refused;
        if (encodeText(utf8, e.m_config.Encoding, key, refused))
            removeAll<Record>(key);
    }

    void removeKey(ListKind list, std::string_view utf8)
    {
        switch (list) {
        case ListKind::Printers:
            removeKey<PrinterRecord>(utf8);
            break;
        case ListKind::Papers:
            removeKey<PaperRecord>(utf8);
            break;
        case ListKind::Headers:
            removeKey<HeaderRecord>(utf8);
            break;
        }
    }

  private:
    ConfigurationEditor& e;
};

ConfigurationEditor::ConfigurationEditor(Configuration& config, JsonTyping typing) : m_config(config), m_typing(typing)
{
}

bool ConfigurationEditor::importJson(const Json& json)
{
    // Whatever a file holds comes back: export, then import of any file
    // writes what normalize writes.
    m_editorRules = false;
    const bool done = applyJson(json, true);
    m_editorRules = true;
    return done;
}

bool ConfigurationEditor::mergeJson(const Json& json)
{
    return applyJson(json, false);
}

bool ConfigurationEditor::applyJson(const Json& json, bool import)
{
    EditorSteps steps(*this);
    if (!json.is_object())
        return steps.fail("", "wants a JSON object of fields, as export writes it (got " + shown(json) + ")");
    // The code page first: the texts are stored in it.
    const std::string encoding(kEncodingField);
    if (json.contains(encoding) && !steps.jsonEncoding(json[encoding]))
        return false;
    for (const auto& [field, value] : json.items()) {
        bool done = true;
        if (field == encoding)
            continue;
        if (field == ListTraits<PrinterRecord>::name)
            done = steps.jsonList<PrinterRecord>(value, import);
        else if (field == ListTraits<PaperRecord>::name)
            done = steps.jsonList<PaperRecord>(value, import);
        else if (field == ListTraits<HeaderRecord>::name)
            done = steps.jsonList<HeaderRecord>(value, import);
        else if (field == "Layout")
            done = steps.jsonLayout(value);
        else
            done = steps.jsonSetting(field, value);
        if (!done)
            return false;
    }
    return true;
}

bool ConfigurationEditor::removeJson(const Json& json)
{
    EditorSteps steps(*this);
    if (!json.is_object())
        return steps.fail("remove", "wants an object of lists of keys, as {\"Printers\": [\"LASER1\"]} (got " +
                                        shown(json) + ")");
    for (const auto& [field, keys] : json.items()) {
        ListKind list;
        if (field == ListTraits<PrinterRecord>::name)
            list = ListKind::Printers;
        else if (field == ListTraits<PaperRecord>::name)
            list = ListKind::Papers;
        else if (field == ListTraits<HeaderRecord>::name)
            list = ListKind::Headers;
        else
            return steps.fail("remove", "unknown list '" + field + "' (Printers, Papers or Headers)");
        if (!keys.is_array())
            return steps.fail("remove." + field, "wants a list of keys (got " + shown(keys) + ")");
        for (const Json& key : keys) {
            std::string utf8;
            if (!steps.jsonString(key, "remove." + field, utf8))
                return steps.fail("remove." + field, "wants keys as texts (got " + shown(key) + ")");
            steps.removeKey(list, utf8);
        }
    }
    return true;
}

bool ConfigurationEditor::setPaths(const std::vector<std::string>& assignments)
{
    EditorSteps steps(*this);
    std::vector<std::pair<std::string_view, std::string_view>> split;
    for (const std::string& word : assignments) {
        // A list path's key may hold '=': look for it after the key's ']'.
        std::size_t from = 0;
        for (const std::string_view list :
             {ListTraits<PrinterRecord>::name, ListTraits<PaperRecord>::name, ListTraits<HeaderRecord>::name})
            if (word.size() > list.size() && word.compare(0, list.size(), list) == 0 && word[list.size()] == '[')
                from = std::min(word.find(']'), word.size());
        const std::size_t eq = word.find('=', from);
        if (eq == std::string::npos)
            return steps.fail("'" + word + "'", "wants PATH=VALUE, as in Port=104");
        split.emplace_back(std::string_view(word).substr(0, eq), std::string_view(word).substr(eq + 1));
    }
    for (const auto& [path, value] : split)
        if (path == kEncodingField && !steps.setPath(path, value))
            return false;
    for (const auto& [path, value] : split)
        if (path != kEncodingField && !steps.setPath(path, value))
            return false;
    return true;
}

bool ConfigurationEditor::removePath(std::string_view pathText)
{
    EditorSteps steps(*this);
    FieldPath path;
    std::string message;
    if (!parseFieldPath(pathText, path, message))
        return steps.fail("", message);
    if (path.kind != FieldPath::Kind::Record)
        return steps.fail("'" + std::string(pathText) + "'",
                          "wants a record by its key, as in Printers[LASER1], Papers[A4] or Headers[LOGO]");
    steps.removeKey(path.list, path.key);
    return true;
}

bool ConfigurationEditor::finish()
{
    for (const WrittenCheck& check : m_writtenChecks) {
        const auto& def = *static_cast<const KeyDef<Configuration>*>(check.def);
        const std::string written = writtenValue(def, m_config);
        if (written != check.given) {
            m_error = check.where + ": a save writes " + decodeText(written, m_config.Encoding) +
                      " here, whatever is given; give that or leave the field out";
            return false;
        }
    }
    return true;
}
