#include "config/ConfigJson.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <iterator>
#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

#include "config/ConfigFields.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"

namespace {

// --- Reading JSON ------------------------------------------------------------

// The text as the parser reads it, noting how far it has read, so that what
// the tree builder refuses can say where, as the library's own messages do.
class TrackedChar {
  public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackedChar(const char* at, const char** read) : m_at(at), m_read(read) {}
    reference operator*() const { return *m_at; }
    TrackedChar& operator++()
    {
        *m_read = ++m_at;
        return *this;
    }
    TrackedChar operator++(int)
    {
        TrackedChar before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackedChar& other) const { return m_at == other.m_at; }
    bool operator!=(const TrackedChar& other) const { return m_at != other.m_at; }

  private:
    const char* m_at;
    const char** m_read;
};

// "line 2, column 7" for the bytes read so far, counted as the library counts
// for its messages: the column of the last byte read.
std::string positionText(std::string_view text, std::size_t read)
{
    const std::string_view before = text.substr(0, std::min(read, text.size()));
    const std::size_t lineStart = before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    return "line " + std::to_string(std::count(before.begin(), before.end(), '\n') + 1) + ", column " +
           std::to_string(before.size() - lineStart);
}

// The library's message without its "[json.exception.parse_error.101] ", and
// the token it quotes ("last read: '...'") cut to an excerpt.
std::string libraryMessage(const std::string& what, const std::string& token = std::string())
{
    std::string message = what;
    if (const std::size_t end = message.find("] "); message.rfind("[json.exception.", 0) == 0 && end != message.npos)
        message.erase(0, end + 2);
    static constexpr std::string_view kLastRead = "last read: '";
    if (const std::size_t at = message.find(kLastRead);
        token.size() > kExcerptLength && at != message.npos &&
        message.compare(at + kLastRead.size(), token.size(), token) == 0)
        message.replace(at + kLastRead.size(), token.size(), textExcerpt(token));
    return message;
}

// Builds the tree from the parser's events (nlohmann's SAX interface), as
// the library's own builder does, but refuses a container that would nest
// deeper than kJsonDepthLimit and a key given twice in one object, and
// appends an object's members without the library's linear search for a
// key (ordered_json looks each key up in a list).
class BoundedTreeBuilder {
  public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    BoundedTreeBuilder(Json& root, std::string_view text, const char* const& read)
        : m_root(root), m_text(text), m_read(read)
    {
    }

    const std::string& message() const { return m_message; }

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(number_integer_t value) { return add(value); }
    bool number_unsigned(number_unsigned_t value) { return add(value); }
    bool number_float(number_float_t value, const string_t&) { return add(value); }
    bool string(string_t& value) { return add(std::move(value)); }
    bool binary(binary_t& value) { return add(Json::binary(std::move(value))); }

    bool start_object(std::size_t) { return open(Json::value_t::object); }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(Json::value_t::array); }
    bool end_array() { return close(); }

    bool key(string_t& name)
    {
        Container& object = m_open.back();
        auto& members = static_cast<Json::object_t::Container&>(object.value->get_ref<Json::object_t&>());
        members.emplace_back(std::move(name), nullptr);
        if (!object.keys.insert(members.size() - 1).second)
            return refuse("the key " + jsonExcerpt(members.back().first) + " is given twice in one object");
        m_member = &members.back().second;
        return true;
    }

    bool parse_error(std::size_t read, const std::string& token, const Json::exception& error)
    {
        if (dynamic_cast<const Json::out_of_range*>(&error) != nullptr) {
            // A number beyond a double's range: the library's text would quote
            // all of its digits.
            m_message = "parse error at " + positionText(m_text, read) + ": number out of range: " + textExcerpt(token);
        } else {
            m_message = libraryMessage(error.what(), token);
        }
        return false;
    }

  private:
    // The members of an open object, by their place in it: a key is looked
    // up by hash, and a place stays when the list of members grows.
    struct MemberHash {
        const Json::object_t* members;
        std::size_t operator()(std::size_t at) const
        {
            return std::hash<std::string>()((members->begin() + static_cast<std::ptrdiff_t>(at))->first);
        }
    };
    struct SameKey {
        const Json::object_t* members;
        bool operator()(std::size_t a, std::size_t b) const
        {
            return (members->begin() + static_cast<std::ptrdiff_t>(a))->first ==
                   (members->begin() + static_cast<std::ptrdiff_t>(b))->first;
        }
    };
    struct Container {
        Json* value;
        std::unordered_set<std::size_t, MemberHash, SameKey> keys;
    };

    // Where the next value goes: the root, the end of the open array or the
    // member whose key came last.
    template <typename Value> Json* add(Value&& value)
    {
        if (m_open.empty()) {
            m_root = Json(std::forward<Value>(value));
            return &m_root;
        }
        Json& parent = *m_open.back().value;
        if (parent.is_array()) {
            auto& elements = parent.get_ref<Json::array_t&>();
            elements.emplace_back(std::forward<Value>(value));
            return &elements.back();
        }
        *m_member = Json(std::forward<Value>(value));
        return m_member;
    }

    bool open(Json::value_t type)
    {
        if (m_open.size() >= kJsonDepthLimit)
            return refuse("arrays and objects nest deeper than " + std::to_string(kJsonDepthLimit) + " levels");
        Json* value = add(type);
        const Json::object_t* members = value->is_object() ? &value->get_ref<const Json::object_t&>() : nullptr;
        m_open.push_back(
            {value, std::unordered_set<std::size_t, MemberHash, SameKey>(0, MemberHash{members}, SameKey{members})});
        return true;
    }

    bool close()
    {
        m_open.pop_back();
        return true;
    }

    bool refuse(const std::string& what)
    {
        m_message =
            "parse error at " + positionText(m_text, static_cast<std::size_t>(m_read - m_text.data())) + ": " + what;
        return false;
    }

    Json& m_root;
    std::string_view m_text;
    const char* const& m_read; // how far the parser has read
    std::vector<Container> m_open;
    Json* m_member = nullptr;
    std::string m_message;
};

// The byte count at most n that does not cut a UTF-8 character.
std::size_t characterBoundary(std::string_view text, std::size_t n)
{
    if (n >= text.size())
        return text.size();
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

constexpr std::string_view kCut = "...";

// Writes a value's JSON text until it is longer than an excerpt.
class ExcerptWriter {
  public:
    void write(const Json& value, std::size_t depth)
    {
        if (full())
            return;
        if (depth > kJsonDepthLimit) {
            m_cut = true;
            return;
        }
        switch (value.type()) {
        case Json::value_t::array: {
            m_text += '[';
            for (auto element = value.begin(); element != value.end(); ++element) {
                if (full())
                    return;
                if (element != value.begin())
                    m_text += ',';
                write(*element, depth + 1);
            }
            m_text += ']';
            break;
        }
        case Json::value_t::object: {
            m_text += '{';
            bool first = true;
            for (const auto& [key, member] : value.get_ref<const Json::object_t&>()) {
                if (full())
                    return;
                if (!first)
                    m_text += ',';
                first = false;
                writeString(key);
                m_text += ':';
                write(member, depth + 1);
            }
            m_text += '}';
            break;
        }
        case Json::value_t::string:
            writeString(value.get_ref<const std::string&>());
            break;
        case Json::value_t::binary:
            m_text += "<bytes>";
            break;
        default: // null, booleans, numbers: short
            m_text += value.dump(-1, ' ', false, Json::error_handler_t::replace);
            break;
        }
    }

    std::string excerpt()
    {
        if (m_cut || m_text.size() > kExcerptLength) {
            m_text.resize(characterBoundary(m_text, kExcerptLength - kCut.size()));
            m_text += kCut;
        }
        return std::move(m_text);
    }

  private:
    bool full() const { return m_cut || m_text.size() > kExcerptLength; }

    // A string, escaped as JSON; of a long one only as much as an excerpt
    // can show, which then is longer than an excerpt and gets cut.
    void writeString(std::string_view text)
    {
        const std::string shown(text.substr(0, characterBoundary(text, kExcerptLength + kCut.size() + 1)));
        m_text += Json(shown).dump(-1, ' ', false, Json::error_handler_t::replace);
    }

    std::string m_text;
    bool m_cut = false;
};

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
    // The one boundary of the library's exceptions: parse_error, out_of_range
    // (numbers), type_error and the rest are all Json::exception.
    try {
        Json root;
        const char* read = text.data();
        BoundedTreeBuilder builder(root, text, read);
        if (!Json::sax_parse(TrackedChar(text.data(), &read), TrackedChar(text.data() + text.size(), &read),
                             &builder)) {
            message = builder.message().empty() ? "parse error" : builder.message();
            return false;
        }
        json = std::move(root);
        return true;
    } catch (const Json::exception& error) {
        message = libraryMessage(error.what());
    } catch (const std::bad_alloc&) {
        message = "out of memory";
    }
    return false;
}

bool jsonDepthWithin(const Json& json, std::size_t limit)
{
    // Level by level, without recursion: the arrays and objects of each.
    std::vector<const Json*> level, next;
    if (json.is_structured())
        level.push_back(&json);
    for (std::size_t depth = 1; !level.empty(); ++depth) {
        if (depth > limit)
            return false;
        next.clear();
        for (const Json* container : level)
            for (const Json& child : *container)
                if (child.is_structured())
                    next.push_back(&child);
        level.swap(next);
    }
    return true;
}

std::string jsonExcerpt(const Json& json)
{
    ExcerptWriter writer;
    writer.write(json, 0);
    return writer.excerpt();
}

std::string textExcerpt(std::string_view text)
{
    if (text.size() <= kExcerptLength)
        return std::string(text);
    return std::string(text.substr(0, characterBoundary(text, kExcerptLength - kCut.size()))) + std::string(kCut);
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
