#include "config/ConfigJson.h"

#include "config/ConfigFields.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"

namespace {

// The JSON value of def's field: the value the writer writes, in JSON's type.
template <typename Record> Json jsonValue(const KeyDef<Record>& def, const Record& record, TextEncoding encoding)
{
    const std::string text = writtenValue(def, record);
    switch (def.type) {
    case KeyType::Text:
        return decodeText(text, encoding);
    case KeyType::Integer:
        return parseInteger(text);
    case KeyType::Real:
        return parseReal(text);
    case KeyType::YesNo:
        return parseYesNo(text, def.fallback);
    case KeyType::Word:
        break;
    }
    return text;
}

template <typename Record>
void addFields(Json& object, std::span<const KeyDef<Record>> keys, const Record& record, TextEncoding encoding)
{
    for (const KeyDef<Record>& def : keys)
        if (!def.readOnly)
            object[std::string(def.key)] = jsonValue(def, record, encoding);
}

template <typename Record> Json listJson(const Configuration& config)
{
    using Traits = ListTraits<Record>;
    Json list = Json::array();
    for (const Record& record : Traits::list(config)) {
        Json object = Json::object();
        if constexpr (Traits::named)
            object["Name"] = decodeText(record.Name, config.Encoding);
        addFields(object, Traits::keys(), record, config.Encoding);
        list.push_back(std::move(object));
    }
    return list;
}

const char* recordNoun(ListKind list)
{
    return list == ListKind::Printers ? "printer" : list == ListKind::Papers ? "paper size" : "header bitmap";
}

template <typename Record>
PathLookup recordValue(const Configuration& config, const FieldPath& path, std::string_view written, std::string& value)
{
    using Traits = ListTraits<Record>;
    std::string key, refused;
    // A key the code page cannot hold names no record.
    if (encodeText(path.key, config.Encoding, key, refused)) {
        for (const Record& record : Traits::list(config)) {
            if (recordKey(record) != key)
                continue;
            if constexpr (Traits::named)
                if (path.field == "Name") {
                    value = decodeText(record.Name, config.Encoding);
                    return PathLookup::Found;
                }
            const KeyDef<Record>& def = *fieldDef(Traits::keys(), path.field);
            value = writtenValue(def, record);
            if (def.type == KeyType::Text)
                value = decodeText(value, config.Encoding);
            return PathLookup::Found;
        }
    }
    value = "'" + std::string(written) + "': no " + recordNoun(path.list) + " '" + path.key + "'";
    return PathLookup::NoRecord;
}

} // namespace

Json configurationToJson(const Configuration& config)
{
    Json json = Json::object();
    for (const SectionDef& section : fileSections()) {
        switch (section.kind) {
        case SectionKind::Settings:
            addFields(json, section.settingsKeys, config, config.Encoding);
            break;
        case SectionKind::Layout: {
            Json& layout = json["Layout"];
            if (layout.is_null())
                layout = Json::object();
            addFields(layout, section.layoutKeys, config.Layout, config.Encoding);
            break;
        }
        case SectionKind::Printers:
            json[std::string(ListTraits<PrinterRecord>::name)] = listJson<PrinterRecord>(config);
            break;
        case SectionKind::Papers:
            json[std::string(ListTraits<PaperRecord>::name)] = listJson<PaperRecord>(config);
            break;
        case SectionKind::Headers:
            json[std::string(ListTraits<HeaderRecord>::name)] = listJson<HeaderRecord>(config);
            break;
        }
    }
    json[std::string(kEncodingField)] = encodingName(config.Encoding);
    return json;
}

bool parseJson(std::string_view text, Json& json, std::string& message)
{
    try {
        json = Json::parse(text.begin(), text.end());
        return true;
    } catch (const Json::parse_error& error) {
        // Without the library's "[json.exception.parse_error.101] ".
        message = error.what();
        if (const std::size_t end = message.find("] ");
            message.rfind("[json.exception.", 0) == 0 && end != message.npos)
            message.erase(0, end + 2);
        return false;
    }
}

std::string jsonText(const Json& json)
{
    // Every string put in holds valid UTF-8; replace guards the rest.
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

PathLookup valueAtPath(const Configuration& config, std::string_view path, std::string& value)
{
    FieldPath parsed;
    if (!parseFieldPath(path, parsed, value))
        return PathLookup::BadPath;
    switch (parsed.kind) {
    case FieldPath::Kind::Encoding:
        value = encodingName(config.Encoding);
        return PathLookup::Found;
    case FieldPath::Kind::Setting: {
        const KeyDef<Configuration>& def = *settingsField(parsed.field);
        value = writtenValue(def, config);
        if (def.type == KeyType::Text)
            value = decodeText(value, config.Encoding);
        return PathLookup::Found;
    }
    case FieldPath::Kind::Layout: {
        const KeyDef<LayoutRecord>& def = *layoutField(parsed.field);
        value = writtenValue(def, config.Layout);
        if (def.type == KeyType::Text)
            value = decodeText(value, config.Encoding);
        return PathLookup::Found;
    }
    case FieldPath::Kind::Record:
        value = "'" + std::string(path) + "': wants '.' and a field after the record, as in " + std::string(path) +
                (parsed.list == ListKind::Printers ? ".PrinterAddress"
                 : parsed.list == ListKind::Papers ? ".SizeX"
                                                   : ".IncludeFile");
        return PathLookup::BadPath;
    case FieldPath::Kind::RecordField:
        break;
    }
    switch (parsed.list) {
    case ListKind::Printers:
        return recordValue<PrinterRecord>(config, parsed, path, value);
    case ListKind::Papers:
        return recordValue<PaperRecord>(config, parsed, path, value);
    case ListKind::Headers:
        break;
    }
    return recordValue<HeaderRecord>(config, parsed, path, value);
}
