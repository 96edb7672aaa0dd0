#include "config/ConfigFields.h"

#include "text/AsciiCase.h"

namespace {

// "; did you mean 'Port'?" when name is a field's name in another case.
template <typename Record>
std::string caseHint(std::span<const KeyDef<Record>> keys, std::string_view name, bool withName = false)
{
    if (withName && equalIgnoringAsciiCase(name, "Name"))
        return " (did you mean 'Name'?)";
    for (const KeyDef<Record>& def : keys)
        if (!def.readOnly && equalIgnoringAsciiCase(def.key, name))
            return " (did you mean '" + std::string(def.key) + "'?)";
    return "";
}

std::string settingsHint(std::string_view name)
{
    for (const SectionDef& section : fileSections()) {
        if (section.kind != SectionKind::Settings)
            continue;
        if (const std::string hint = caseHint(section.settingsKeys, name); !hint.empty())
            return hint;
    }
    for (const std::string_view other : {kEncodingField, std::string_view("Layout"), ListTraits<PrinterRecord>::name,
                                         ListTraits<PaperRecord>::name, ListTraits<HeaderRecord>::name})
        if (equalIgnoringAsciiCase(other, name))
            return " (did you mean '" + std::string(other) + "'?)";
    return "";
}

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

// Where a list path names its list: "Printers[" and the rest.
bool listOfPath(std::string_view path, ListKind& list, std::size_t& open)
{
    const std::pair<std::string_view, ListKind> lists[] = {{ListTraits<PrinterRecord>::name, ListKind::Printers},
                                                           {ListTraits<PaperRecord>::name, ListKind::Papers},
                                                           {ListTraits<HeaderRecord>::name, ListKind::Headers}};
    for (const auto& [name, kind] : lists) {
        if (path.size() > name.size() && path.substr(0, name.size()) == name && path[name.size()] == '[') {
            list = kind;
            open = name.size();
            return true;
        }
    }
    return false;
}

template <typename Record> bool recordFieldKnown(std::string_view field, std::string& hint)
{
    using Traits = ListTraits<Record>;
    if ((Traits::named && field == "Name") || fieldDef(Traits::keys(), field))
        return true;
    hint = caseHint(Traits::keys(), field, Traits::named);
    return false;
}

} // namespace

const KeyDef<Configuration>* settingsField(std::string_view name)
{
    for (const SectionDef& section : fileSections())
        if (section.kind == SectionKind::Settings)
            if (const KeyDef<Configuration>* def = fieldDef(section.settingsKeys, name))
                return def;
    return nullptr;
}

const KeyDef<LayoutRecord>* layoutField(std::string_view name)
{
    for (const SectionDef& section : fileSections())
        if (section.kind == SectionKind::Layout)
            if (const KeyDef<LayoutRecord>* def = fieldDef(section.layoutKeys, name))
                return def;
    return nullptr;
}

std::string_view encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? "UTF-8" : "Windows-1252";
}

std::optional<TextEncoding> encodingNamed(std::string_view name)
{
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Windows1252})
        if (equalIgnoringAsciiCase(name, encodingName(encoding)))
            return encoding;
    return std::nullopt;
}

std::string decodeText(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252)
        return windows1252ToUtf8(bytes);
    return utf8WithLatin1Fallback(bytes);
}

bool encodeText(std::string_view utf8, TextEncoding encoding, std::string& bytes, std::string& refused)
{
    if (utf8WithLatin1Fallback(utf8) != utf8) {
        refused = "invalid UTF-8";
        return false;
    }
    if (encoding == TextEncoding::Utf8) {
        bytes.assign(utf8);
        return true;
    }
    std::string character;
    if (utf8ToWindows1252(utf8, bytes, &character))
        return true;
    refused = quoted(character);
    return false;
}

bool parseFieldPath(std::string_view path, FieldPath& parsed, std::string& message)
{
    const std::string named = quoted(path);
    parsed = FieldPath();
    std::size_t open = 0;
    if (listOfPath(path, parsed.list, open)) {
        // The key runs to the last ']': a field name holds none.
        const std::size_t close = path.rfind(']');
        if (close == std::string_view::npos || close <= open) {
            message = named + ": the key wants a closing ']', as in Printers[LASER1].PrinterAddress";
            return false;
        }
        parsed.key.assign(path.substr(open + 1, close - open - 1));
        const std::string_view rest = path.substr(close + 1);
        if (rest.empty()) {
            parsed.kind = FieldPath::Kind::Record;
            return true;
        }
        if (rest.size() < 2 || rest[0] != '.') {
            message = named + ": wants '.' and a field after the record, as in Printers[LASER1].PrinterAddress";
            return false;
        }
        parsed.kind = FieldPath::Kind::RecordField;
        parsed.field.assign(rest.substr(1));
        std::string hint;
        const bool known = parsed.list == ListKind::Printers ? recordFieldKnown<PrinterRecord>(parsed.field, hint)
                           : parsed.list == ListKind::Papers ? recordFieldKnown<PaperRecord>(parsed.field, hint)
                                                             : recordFieldKnown<HeaderRecord>(parsed.field, hint);
        if (!known) {
            message = named + ": unknown field " + quoted(parsed.field) + hint;
            return false;
        }
        return true;
    }
    if (path.substr(0, 7) == "Layout.") {
        parsed.kind = FieldPath::Kind::Layout;
        parsed.field.assign(path.substr(7));
        if (layoutField(parsed.field))
            return true;
        std::string hint;
        for (const SectionDef& section : fileSections())
            if (section.kind == SectionKind::Layout && hint.empty())
                hint = caseHint(section.layoutKeys, parsed.field);
        message = named + ": unknown field " + quoted(parsed.field) + " of the layout" + hint;
        return false;
    }
    parsed.field.assign(path);
    if (path == kEncodingField) {
        parsed.kind = FieldPath::Kind::Encoding;
        return true;
    }
    if (settingsField(path))
        return true;
    if (path == "Layout") {
        message = named + ": names the layout; give one of its fields, as in Layout.PageSize";
        return false;
    }
    for (const std::string_view list :
         {ListTraits<PrinterRecord>::name, ListTraits<PaperRecord>::name, ListTraits<HeaderRecord>::name})
        if (path == list) {
            message = named + ": names a list; give a record by its key and a field, as in " + std::string(list) +
                      "[KEY]." +
                      std::string(list == "Printers" ? "PrinterAddress"
                                  : list == "Papers" ? "SizeX"
                                                     : "IncludeFile");
            return false;
        }
    message = named + ": unknown field" + settingsHint(path);
    return false;
}
