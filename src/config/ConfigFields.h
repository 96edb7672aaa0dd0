#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigKeys.h"
#include "config/Configuration.h"

// The configuration's fields by name, for the JSON form and the get/set
// paths: one flat name space for the settings, one per list record and one
// for the layout, all taken from the key tables of ConfigKeys.h (the key as
// written is the field's name), plus the two fields that are no key:
// the Name of a paper or header bitmap (its section header) and the
// configuration's Encoding (how its texts are stored). Values cross here as
// the file's value texts, through appendWrittenValue and readValue, so that
// this code knows no record member itself.

// The field a name gives in keys, exactly (the reader's own aliases do not
// count); nullptr when there is none.
template <typename Record> const KeyDef<Record>* fieldDef(std::span<const KeyDef<Record>> keys, std::string_view name)
{
    for (const KeyDef<Record>& def : keys)
        if (!def.readOnly && def.key == name)
            return &def;
    return nullptr;
}

// A field of the configuration itself: every Settings section's keys.
const KeyDef<Configuration>* settingsField(std::string_view name);
// A field of the standard layout: both Layout sections' keys.
const KeyDef<LayoutRecord>* layoutField(std::string_view name);

// The value text the writer writes for def.
template <typename Record> std::string writtenValue(const KeyDef<Record>& def, const Record& record)
{
    std::string text;
    appendWrittenValue(text, def, record);
    return text;
}

// The lists of records, each with the field that names a record.
enum class ListKind { Printers, Papers, Headers };

template <typename Record> struct ListTraits;

template <> struct ListTraits<PrinterRecord> {
    static constexpr ListKind kind = ListKind::Printers;
    static constexpr std::string_view name = "Printers";
    static constexpr std::string_view keyField = "PrinterAETitle";
    static constexpr bool named = false; // the key is a field of the table
    static std::span<const KeyDef<PrinterRecord>> keys() { return printerKeys(); }
    static PrinterList& list(Configuration& c) { return c.Printers; }
    static const PrinterList& list(const Configuration& c) { return c.Printers; }
};

template <> struct ListTraits<PaperRecord> {
    static constexpr ListKind kind = ListKind::Papers;
    static constexpr std::string_view name = "Papers";
    static constexpr std::string_view keyField = "Name";
    static constexpr bool named = true; // the key is the section's name
    static std::span<const KeyDef<PaperRecord>> keys() { return paperKeys(); }
    static PaperList& list(Configuration& c) { return c.Papers; }
    static const PaperList& list(const Configuration& c) { return c.Papers; }
};

template <> struct ListTraits<HeaderRecord> {
    static constexpr ListKind kind = ListKind::Headers;
    static constexpr std::string_view name = "Headers";
    static constexpr std::string_view keyField = "Name";
    static constexpr bool named = true;
    static std::span<const KeyDef<HeaderRecord>> keys() { return headerKeys(); }
    static HeaderList& list(Configuration& c) { return c.Headers; }
    static const HeaderList& list(const Configuration& c) { return c.Headers; }
};

// The key of a record as stored (bytes in the file's code page).
template <typename Record> std::string recordKey(const Record& record)
{
    using Traits = ListTraits<Record>;
    if constexpr (Traits::named)
        return record.Name;
    else
        return writtenValue(*fieldDef(Traits::keys(), Traits::keyField), record);
}

// The field name that stands for the configuration's text encoding, and the
// names of the encodings.
constexpr std::string_view kEncodingField = "Encoding";
std::string_view encodingName(TextEncoding encoding);
std::optional<TextEncoding> encodingNamed(std::string_view name);

// A stored text as UTF-8: decoded from the code page; a byte that is no
// UTF-8 in a UTF-8 configuration is taken as Latin-1, so that the result is
// always valid UTF-8.
std::string decodeText(std::string_view bytes, TextEncoding encoding);

// UTF-8 text (as typed or as JSON holds it) in the code page; false, with
// the character that has no byte there (or "invalid UTF-8"), when it cannot.
bool encodeText(std::string_view utf8, TextEncoding encoding, std::string& bytes, std::string& refused);

// A list path "Printers[KEY]" or "Printers[KEY].Field", a layout path
// "Layout.Field", the Encoding, or a settings field "Port". The key is as
// written (UTF-8).
struct FieldPath {
    enum class Kind { Setting, Layout, Record, RecordField, Encoding };
    Kind kind = Kind::Setting;
    ListKind list = ListKind::Printers;
    std::string key;
    std::string field;
};

// Parses path; false with the message (naming the path and what it wants).
bool parseFieldPath(std::string_view path, FieldPath& parsed, std::string& message);
