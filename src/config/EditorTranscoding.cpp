// Transcoding: every text of the configuration from one code page to the
// other, through UTF-8, when the Encoding changes.

#include "config/EditorSteps.h"

template <typename Record>
bool EditorSteps::transcodeFields(std::span<const KeyDef<Record>> keys, Record& record, TextEncoding from,
                                  const std::string& where)
{
    for (const KeyDef<Record>& def : keys) {
        if (def.readOnly || def.written || def.type != KeyType::Text)
            continue;
        std::string bytes;
        if (!transcode(writtenValue(def, record), from, where + std::string(def.key), bytes))
            return false;
        assign(def, record, bytes);
    }
    return true;
}

bool EditorSteps::transcode(std::string_view old, TextEncoding from, const std::string& field, std::string& bytes)
{
    std::string refused;
    if (encodeText(decodeText(old, from), m_editor.m_config.Encoding, bytes, refused))
        return true;
    return fail(std::string(kEncodingField),
                std::string(encodingName(m_editor.m_config.Encoding)) + " cannot hold " + refused + " of " + field);
}

template <typename Record> bool EditorSteps::transcodeList(TextEncoding from)
{
    using Traits = ListTraits<Record>;
    for (Record& record : Traits::list(m_editor.m_config)) {
        const std::string where = std::string(Traits::name) + "[" + decodeText(recordKey(record), from) + "].";
        if constexpr (Traits::named) {
            watchName(record);
            std::string name;
            if (!transcode(record.Name, from, where + "Name", name))
                return false;
            record.Name = name;
        }
        if (!transcodeFields(Traits::keys(), record, from, where))
            return false;
    }
    return true;
}

// Stores every text of the configuration in another code page.
bool EditorSteps::changeEncoding(TextEncoding to)
{
    const TextEncoding from = m_editor.m_config.Encoding;
    if (from == to)
        return true;
    m_editor.m_config.Encoding = to;
    for (const SectionDef& section : fileSections()) {
        const bool done = section.kind == SectionKind::Settings
                              ? transcodeFields(section.settingsKeys, m_editor.m_config, from, "")
                          : section.kind == SectionKind::Layout
                              ? transcodeFields(section.layoutKeys, m_editor.m_config.Layout, from, "Layout.")
                          : section.kind == SectionKind::Printers ? transcodeList<PrinterRecord>(from)
                          : section.kind == SectionKind::Papers   ? transcodeList<PaperRecord>(from)
                                                                  : transcodeList<HeaderRecord>(from);
        if (!done)
            return false;
    }
    return true;
}

bool EditorSteps::jsonEncoding(const Json& value)
{
    const std::string field(kEncodingField);
    const std::optional<TextEncoding> encoding =
        value.is_string() ? encodingNamed(value.get<std::string>()) : std::nullopt;
    if (!encoding)
        return fail(field, "wants \"UTF-8\" or \"Windows-1252\" (got " + jsonExcerpt(value) + ")");
    return changeEncoding(*encoding);
}
