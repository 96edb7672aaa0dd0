#pragma once

#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "config/Configuration.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"
#include "text/AsciiCase.h"

// The keys of the configuration file, one table per section. Each entry says
// how the key is written (the reader takes it in any case), which record
// field holds it, how its value text converts and, for yes/no, the value of
// a word that is neither yes nor no. The writer walks these tables in their
// order; the reader looks keys up in them. A key belongs to the file format
// exactly when it is in one of these tables.
//
// Each entry also holds the editor's rules for the value (its range, the
// words of its vocabulary, whether it is a density), and these tables are
// the only place they are written: the pages, dialogs and wizard, quarvel-cfg
// set and import, the Ansible module and check all take them from here.

enum class KeyType { Text, Integer, Real, YesNo, Word };

// A range of numbers, both ends included.
template <typename T> struct Bounds {
    T low;
    T high;
};

// What the editor wants of a value beyond what the file holds.
struct ValueRule {
    // Integer: the editor refuses a value outside (a page's field, a value
    // set or merged; import takes whatever a file holds). None: any value of
    // the field.
    std::optional<Bounds<int>> accepted;
    // Real: the range a value set, merged or imported must keep to; none,
    // any finite number.
    std::optional<Bounds<double>> acceptedReal;
    // The wizard, which sets up a new server, keeps to these instead and
    // names them in its own message.
    std::optional<Bounds<int>> newServerAccepted;
    // Integer, Real and densities: the up-down buttons step from 0 up to this
    // (a typed value is taken as it is); none, without an upper limit. The
    // wizard's buttons step up to newServerStepLimit instead, when given.
    std::optional<double> stepLimit;
    std::optional<double> newServerStepLimit;
    // Text: a density, BLACK, WHITE or an integer (0 black .. 256 white), as
    // DensityMode reads and writes it.
    bool density = false;
};

// A vocabulary kept as a code: the word written for a code, and the code read
// for a word (any word it does not know gives its default code).
struct WordList {
    std::string (*text)(int code);
    int (*code)(std::string_view word, bool* known);
};

extern const WordList kPriorityWords;
extern const WordList kMediumWords;
extern const WordList kDestinationWords;
extern const WordList kOrientationWords;

// The words of a vocabulary in code order ("LOW", "MED", "HIGH").
std::vector<std::string> vocabularyWords(const WordList& words);

// The type of a record's text fields: FieldText in the lists' records,
// std::string in the records of which there is one (see Records.h).
template <typename Record>
using TextOf = std::conditional_t<std::is_same_v<Record, PrinterRecord> || std::is_same_v<Record, PaperRecord> ||
                                      std::is_same_v<Record, HeaderRecord>,
                                  FieldText, std::string>;

template <typename Record> struct KeyDef {
    std::string_view key; // as written
    KeyType type = KeyType::Text;
    // The field, by type: one of these is set.
    TextOf<Record> Record::*text = nullptr;
    int Record::*number = nullptr; // Integer and Word
    double Record::*real = nullptr;
    bool Record::*flag = nullptr;
    bool fallback = false;           // YesNo
    const WordList* words = nullptr; // Word
    // What the writer writes instead of the field; nullptr writes the field.
    std::string (*written)(const Record&) = nullptr;
    // An alias the reader accepts and the writer never writes.
    bool readOnly = false;
    // The editor's rules; the words of a Word key are its vocabulary.
    ValueRule rule;
};

template <typename Record> constexpr KeyDef<Record> textKey(std::string_view key, TextOf<Record> Record::*field)
{
    KeyDef<Record> def;
    def.key = key;
    def.type = KeyType::Text;
    def.text = field;
    return def;
}

template <typename Record> constexpr KeyDef<Record> integerKey(std::string_view key, int Record::*field)
{
    KeyDef<Record> def;
    def.key = key;
    def.type = KeyType::Integer;
    def.number = field;
    return def;
}

template <typename Record> constexpr KeyDef<Record> realKey(std::string_view key, double Record::*field)
{
    KeyDef<Record> def;
    def.key = key;
    def.type = KeyType::Real;
    def.real = field;
    return def;
}

template <typename Record> constexpr KeyDef<Record> yesNoKey(std::string_view key, bool Record::*field, bool fallback)
{
    KeyDef<Record> def;
    def.key = key;
    def.type = KeyType::YesNo;
    def.flag = field;
    def.fallback = fallback;
    return def;
}

template <typename Record>
constexpr KeyDef<Record> wordKey(std::string_view key, int Record::*field, const WordList& words)
{
    KeyDef<Record> def;
    def.key = key;
    def.type = KeyType::Word;
    def.number = field;
    def.words = &words;
    return def;
}

enum class SectionKind {
    Settings, // a fixed section of Configuration fields
    Layout,   // a fixed section of the standard layout (LayoutRecord)
    Printers, // one "[Printer-n]" section per printer, n counted from 1
    Papers,   // one section per paper size, named after it
    Headers,  // one section per header bitmap, named after it
};

// A section of the file: its header path as written and the keys it holds.
// The repeated kinds have no fixed level-1 name; their keys are
// printerKeys(), paperKeys() and headerKeys().
struct SectionDef {
    std::string_view level3;
    std::string_view level2;
    std::string_view level1;
    SectionKind kind;
    std::span<const KeyDef<Configuration>> settingsKeys; // kind Settings
    std::span<const KeyDef<LayoutRecord>> layoutKeys;    // kind Layout
};

// The comment lines the writer puts at the top of every file.
std::span<const std::string_view> fileBanner();

// Every section, in the order the writer writes them.
std::span<const SectionDef> fileSections();

std::span<const KeyDef<PrinterRecord>> printerKeys();
std::span<const KeyDef<PaperRecord>> paperKeys();
std::span<const KeyDef<HeaderRecord>> headerKeys();

// The level-1 name of the n-th printer's section is this and n; the reader
// takes any level-1 name that holds it, in any case.
constexpr std::string_view kPrinterSectionPrefix = "Printer-";

// The key of keys equal to key, case ignored; nullptr when there is none.
// The keys of a table are distinct, so the search may start anywhere: from
// start on, it finds at once the keys of a file written in the table's order.
template <typename Record>
const KeyDef<Record>* findKey(std::span<const KeyDef<Record>> keys, std::string_view key, std::size_t start = 0)
{
    const std::size_t count = keys.size();
    // A file the writer wrote has each key where the last one ended, in the
    // table's own case.
    if (count > 0 && keys[start % count].key == key)
        return &keys[start % count];
    for (std::size_t i = 0; i < count; ++i) {
        const KeyDef<Record>& def = keys[(start + i) % count];
        if (equalIgnoringAsciiCase(def.key, key))
            return &def;
    }
    return nullptr;
}

// Whether def's field is field.
template <typename Record, typename T> bool holdsField(const KeyDef<Record>& def, T Record::*field)
{
    if constexpr (std::is_same_v<T, int>)
        return def.number == field;
    else if constexpr (std::is_same_v<T, double>)
        return def.real == field;
    else if constexpr (std::is_same_v<T, bool>)
        return def.flag == field;
    else
        return def.text == field;
}

// The key whose field is field, a member of the configuration (also of its
// DICOM or page label record), the layout or a list's record; nullptr for a
// field that is no key's. The reader's aliases do not count.
template <typename T, typename Owner> auto keyOf(T Owner::*field)
{
    const auto find = [](auto keys, auto member) -> decltype(keys.data()) {
        for (const auto& def : keys)
            if (!def.readOnly && holdsField(def, member))
                return &def;
        return nullptr;
    };
    if constexpr (std::is_base_of_v<Owner, Configuration>) {
        const KeyDef<Configuration>* found = nullptr;
        for (const SectionDef& section : fileSections())
            if (!found && section.kind == SectionKind::Settings)
                found = find(section.settingsKeys, static_cast<T Configuration::*>(field));
        return found;
    } else if constexpr (std::is_same_v<Owner, LayoutRecord>) {
        const KeyDef<LayoutRecord>* found = nullptr;
        for (const SectionDef& section : fileSections())
            if (!found && section.kind == SectionKind::Layout)
                found = find(section.layoutKeys, field);
        return found;
    } else if constexpr (std::is_same_v<Owner, PrinterRecord>) {
        return find(printerKeys(), field);
    } else if constexpr (std::is_same_v<Owner, PaperRecord>) {
        return find(paperKeys(), field);
    } else {
        static_assert(std::is_same_v<Owner, HeaderRecord>, "a field of the configuration or of one of its records");
        return find(headerKeys(), field);
    }
}

// The rules of the key whose field is field; none for a field that is no key's.
template <typename T, typename Owner> const ValueRule& ruleOf(T Owner::*field)
{
    static const ValueRule none;
    const auto* def = keyOf(field);
    return def ? def->rule : none;
}

// Appends text without its CR and LF, so that no text can split its line.
void appendWithoutLineBreaks(std::string& out, std::string_view text);

// Appends the value the writer writes for def from record.
template <typename Record> void appendWrittenValue(std::string& out, const KeyDef<Record>& def, const Record& record)
{
    if (def.written) {
        appendWithoutLineBreaks(out, def.written(record));
        return;
    }
    switch (def.type) {
    case KeyType::Text:
        appendWithoutLineBreaks(out, record.*def.text);
        break;
    case KeyType::Integer:
        appendInteger(out, record.*def.number);
        break;
    case KeyType::Real:
        out += formatRealTwoPlaces(record.*def.real);
        break;
    case KeyType::YesNo:
        out += yesNoText(record.*def.flag);
        break;
    case KeyType::Word:
        out += def.words->text(record.*def.number);
        break;
    }
}

// Sets def's field of record from a value text. exact, when given, tells
// whether the value reads as exactly what it says, so that a save writes it
// back with the same meaning: a known word, a whole number within range;
// texts always do. What the writer writes instead of the field is not looked
// at here.
template <typename Record>
void readValue(const KeyDef<Record>& def, Record& record, std::string_view value, bool* exact = nullptr)
{
    switch (def.type) {
    case KeyType::Text:
        (record.*def.text).assign(value);
        if (exact)
            *exact = true;
        break;
    case KeyType::Integer:
        record.*def.number = parseInteger(value, exact);
        break;
    case KeyType::Real: {
        // No reader of the format understands "inf" or "nan": a value that
        // reads as one keeps the field as it was.
        const double real = parseReal(value, exact);
        if (std::isfinite(real)) {
            record.*def.real = real;
        } else if (exact) {
            *exact = false;
        }
        break;
    }
    case KeyType::YesNo:
        record.*def.flag = parseYesNo(value, def.fallback, exact);
        break;
    case KeyType::Word:
        record.*def.number = def.words->code(value, exact);
        break;
    }
}
