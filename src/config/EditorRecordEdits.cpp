// Record and path edits: records found by key, appended, renamed and
// removed, and the fields of JSON entries and PATH=VALUE words set on them.

#include <set>

#include "config/EditorSteps.h"

// The stored key of a record named in a path or a JSON entry.
template <typename Record>
bool EditorSteps::storedKey(std::string_view utf8, const std::string& where, std::string& key)
{
    return storedText(utf8, ListTraits<Record>::named, where, key);
}

template <typename Record> Record* EditorSteps::find(const std::string& key)
{
    for (Record& record : ListTraits<Record>::list(m_editor.m_config))
        if (recordKey(record) == key)
            return &record;
    return nullptr;
}

template <typename Record> Record& EditorSteps::append(const std::string& key)
{
    using Traits = ListTraits<Record>;
    Record record;
    if constexpr (Traits::named)
        record.Name = key;
    else
        readValue(*fieldDef(Traits::keys(), Traits::keyField), record, key);
    Traits::list(m_editor.m_config).add(record);
    m_editor.m_reshaped = true;
    return *Traits::list(m_editor.m_config).at(Traits::list(m_editor.m_config).size() - 1);
}

template <typename Record> void EditorSteps::removeAll(const std::string& key)
{
    using Traits = ListTraits<Record>;
    std::vector<std::ptrdiff_t> positions;
    std::ptrdiff_t position = 0;
    for (const Record& record : Traits::list(m_editor.m_config)) {
        if (recordKey(record) == key)
            positions.push_back(position);
        ++position;
    }
    if (!positions.empty())
        m_editor.m_reshaped = true;
    Traits::list(m_editor.m_config).removeAtPositions(std::move(positions));
    m_editor.m_removed[static_cast<int>(Traits::kind)].insert(key);
}

// A new name for a paper or header bitmap; no other record may hold it,
// since a file gives both sections to the first.
template <typename Record> bool EditorSteps::rename(Record& record, std::string_view utf8, const std::string& where)
{
    std::string name;
    if (!storedText(utf8, true, where, name))
        return false;
    if (const Record* other = find<Record>(name); other && other != &record)
        return fail(where, "'" + std::string(utf8) + "' names another " +
                               (ListTraits<Record>::kind == ListKind::Papers ? "paper size" : "header bitmap") +
                               " already");
    watchName(record);
    record.Name = name;
    return true;
}

template <typename Record>
bool EditorSteps::recordFieldJson(Record& record, const std::string& field, const Json& value, const std::string& where)
{
    using Traits = ListTraits<Record>;
    if constexpr (Traits::named)
        if (field == "Name") {
            std::string utf8;
            if (!jsonString(value, where, utf8))
                return fail(where, std::string("wants ") + kNameRule + " (got " + jsonExcerpt(value) + ")");
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
    assign(*def, record, text);
    return true;
}

// One list of a JSON record: entries appended (import) or matched by key.
template <typename Record> bool EditorSteps::jsonList(const Json& list, bool import)
{
    using Traits = ListTraits<Record>;
    const std::string name(Traits::name);
    const std::string keyField(Traits::keyField);
    if (!list.is_array())
        return fail(name, "wants a list of objects (got " + jsonExcerpt(list) + ")");
    std::set<std::string> given;
    std::size_t number = 0;
    for (const Json& entry : list) {
        ++number;
        std::string where = name + " entry " + std::to_string(number);
        if (!entry.is_object())
            return fail(where, "wants an object (got " + jsonExcerpt(entry) + ")");
        std::string key, keyUtf8;
        const bool hasKey = entry.contains(keyField);
        if (hasKey) {
            if (!jsonString(entry[keyField], where + "." + keyField, keyUtf8))
                return fail(where + "." + keyField, std::string("wants ") + (Traits::named ? kNameRule : kTextRule) +
                                                        " (got " + jsonExcerpt(entry[keyField]) + ")");
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
        if (!import && m_editor.m_removed[static_cast<int>(Traits::kind)].count(key))
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

bool EditorSteps::jsonLayout(const Json& layout)
{
    if (!layout.is_object())
        return fail("Layout", "wants an object (got " + jsonExcerpt(layout) + ")");
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
        assign(*def, m_editor.m_config.Layout, text);
    }
    return true;
}

bool EditorSteps::jsonSetting(const std::string& field, const Json& value)
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
    store(*def, m_editor.m_config, text, field);
    return true;
}

template <typename Record>
bool EditorSteps::setRecordField(const FieldPath& path, std::string_view value, const std::string& where)
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
    assign(def, *record, text);
    return true;
}

bool EditorSteps::setPath(std::string_view pathText, std::string_view value)
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
        store(def, m_editor.m_config, text, where);
        return true;
    }
    case FieldPath::Kind::Layout: {
        const KeyDef<LayoutRecord>& def = *layoutField(path.field);
        if (!typedValue(def, value, where, text))
            return false;
        assign(def, m_editor.m_config.Layout, text);
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

template <typename Record> void EditorSteps::removeKey(std::string_view utf8)
{
    // A key the code page cannot hold names no record.
    std::string key, refused;
    if (encodeText(utf8, m_editor.m_config.Encoding, key, refused))
        removeAll<Record>(key);
}

void EditorSteps::removeKey(ListKind list, std::string_view utf8)
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

template bool EditorSteps::jsonList<PrinterRecord>(const Json&, bool);
template bool EditorSteps::jsonList<PaperRecord>(const Json&, bool);
template bool EditorSteps::jsonList<HeaderRecord>(const Json&, bool);
