#pragma once

#include <span>
#include <string>
#include <string_view>

#include "config/ConfigFields.h"
#include "config/ConfigurationEditor.h"

// The steps of a ConfigurationEditor's edits, with access to its state; only
// the editor's own sources include this. The steps sit in three files, one
// job each: EditorValueChecks.cpp turns a value as typed or as JSON into the
// file's value text, checked by the key's rules; EditorTranscoding.cpp moves
// every text to another code page; EditorRecordEdits.cpp finds, appends,
// renames and removes records and applies JSON entries and PATH=VALUE words.
class EditorSteps {
  public:
    explicit EditorSteps(ConfigurationEditor& editor) : m_editor(editor) {}

    // Sets the editor's error ("where: what") and gives false.
    bool fail(const std::string& where, const std::string& what);

    // --- Values (EditorValueChecks.cpp) --------------------------------------

    // A text as stored: encoded in the file's code page and checked, as a
    // name of a section when name is set.
    bool storedText(std::string_view utf8, bool name, const std::string& where, std::string& bytes);
    // A JSON string, or under lenient typing a number taken as its digits.
    bool jsonString(const Json& value, const std::string& where, std::string& utf8);
    // The value text of def's field for a value as typed.
    template <typename Record>
    bool typedValue(const KeyDef<Record>& def, std::string_view typed, const std::string& where, std::string& text);
    // The value text of def's field for a JSON value.
    template <typename Record>
    bool jsonValue(const KeyDef<Record>& def, const Json& value, const std::string& where, std::string& text);
    // Sets def's field from a checked value text, as the reader reads it.
    template <typename Record>
    void store(const KeyDef<Record>& def, Record& record, const std::string& text, const std::string& where);
    // The same without the check of a value written from elsewhere; every
    // field is set through here, so that the editor sees what changed.
    template <typename Record> void assign(const KeyDef<Record>& def, Record& record, const std::string& text);
    // Before a record's name changes.
    template <typename Record> void watchName(Record& record);

    // --- Code page (EditorTranscoding.cpp) ------------------------------------

    // Stores every text of the configuration in another code page.
    bool changeEncoding(TextEncoding to);
    // The Encoding field of a JSON record.
    bool jsonEncoding(const Json& value);

    // --- Records and paths (EditorRecordEdits.cpp) ----------------------------

    // One list of a JSON record: entries appended (import) or matched by key.
    template <typename Record> bool jsonList(const Json& list, bool import);
    bool jsonLayout(const Json& layout);
    bool jsonSetting(const std::string& field, const Json& value);
    // One PATH=VALUE word, split at its '='.
    bool setPath(std::string_view pathText, std::string_view value);
    // Removes every record of a key (UTF-8) from a list.
    void removeKey(ListKind list, std::string_view utf8);

  private:
    template <typename Record>
    bool transcodeFields(std::span<const KeyDef<Record>> keys, Record& record, TextEncoding from,
                         const std::string& where);
    bool transcode(std::string_view old, TextEncoding from, const std::string& field, std::string& bytes);
    template <typename Record> bool transcodeList(TextEncoding from);

    template <typename Record> bool storedKey(std::string_view utf8, const std::string& where, std::string& key);
    template <typename Record> Record* find(const std::string& key);
    template <typename Record> Record& append(const std::string& key);
    template <typename Record> void removeAll(const std::string& key);
    template <typename Record> bool rename(Record& record, std::string_view utf8, const std::string& where);
    template <typename Record>
    bool recordFieldJson(Record& record, const std::string& field, const Json& value, const std::string& where);
    template <typename Record>
    bool setRecordField(const FieldPath& path, std::string_view value, const std::string& where);
    template <typename Record> void removeKey(std::string_view utf8);

    ConfigurationEditor& m_editor;
};

template <typename Record> void EditorSteps::assign(const KeyDef<Record>& def, Record& record, const std::string& text)
{
    const auto key = std::make_pair(static_cast<const void*>(&record), static_cast<const void*>(&def));
    if (!def.readOnly && !m_editor.m_watched.contains(key))
        m_editor.m_watched.emplace(key, ConfigurationEditor::Watched{writtenValue(def, record), [&def, &record] {
                                                                         return writtenValue(def, record);
                                                                     }});
    readValue(def, record, text);
}

template <typename Record> void EditorSteps::watchName(Record& record)
{
    const auto key = std::make_pair(static_cast<const void*>(&record), static_cast<const void*>(nullptr));
    if (!m_editor.m_watched.contains(key))
        m_editor.m_watched.emplace(key, ConfigurationEditor::Watched{record.Name, [&record] { return record.Name; }});
}

// A text for a message: quoted, control characters as \xHH, cut at 60.
std::string shownText(std::string_view text);

// What a text and a name of a section must be, for the messages that refuse one.
inline constexpr const char* kTextRule = "a text without control characters (line breaks, tabs, escape ...) or "
                                         "blanks at either end";
inline constexpr const char* kNameRule =
    "a name that is not empty, does not start with '[' and holds no ']' or control character";
