#include "config/ConfigurationEditor.h"

#include <algorithm>

#include "config/EditorSteps.h"

ConfigurationEditor::ConfigurationEditor(Configuration& config, JsonTyping typing) : m_config(config), m_typing(typing)
{
}

bool ConfigurationEditor::importJson(const Json& json)
{
    // The same rules as every other change: export, then import writes what
    // normalize writes for every file whose values the editor accepts.
    return applyJson(json, true);
}

bool ConfigurationEditor::mergeJson(const Json& json)
{
    return applyJson(json, false);
}

bool ConfigurationEditor::applyJson(const Json& json, bool import)
{
    EditorSteps steps(*this);
    if (!json.is_object())
        return steps.fail("", "wants a JSON object of fields, as export writes it (got " + jsonExcerpt(json) + ")");
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
                                        jsonExcerpt(json) + ")");
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
            return steps.fail("remove." + field, "wants a list of keys (got " + jsonExcerpt(keys) + ")");
        for (const Json& key : keys) {
            std::string utf8;
            if (!steps.jsonString(key, "remove." + field, utf8))
                return steps.fail("remove." + field, "wants keys as texts (got " + jsonExcerpt(key) + ")");
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

bool ConfigurationEditor::changed() const
{
    return m_reshaped || std::any_of(m_watched.begin(), m_watched.end(),
                                     [](const auto& entry) { return entry.second.now() != entry.second.before; });
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
