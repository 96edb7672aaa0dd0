// Feeds arbitrary bytes to the JSON form and the set paths: as a whole record
// (import), as a partial one under Ansible's lenient typing (merge), as the
// Ansible module's arguments (without a path, so that no file is touched) and
// line by line as PATH=VALUE words. Nothing may crash, and whatever import
// takes must come back unchanged through export and import again. What the
// parser takes nests no deeper than its limit, and its messages and the
// excerpts of values stay short.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/AnsibleModule.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigJson.h"
#include "config/Configuration.h"
#include "config/ConfigurationEditor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Json json;
    std::string message;
    if (!parseJson(bytes, json, message)) {
        if (message.size() > 512) {
            std::fprintf(stderr, "a parse error's message of %zu bytes\n", message.size());
            std::abort();
        }
    } else {
        if (!jsonDepthWithin(json) || jsonExcerpt(json).size() > kExcerptLength) {
            std::fprintf(stderr, "a value nests too deep or its excerpt is too long: %s\n", jsonExcerpt(json).c_str());
            std::abort();
        }
        Configuration imported;
        ConfigurationEditor editor(imported);
        if (editor.importJson(json) && editor.finish()) {
            const std::string text = formatConfiguration(imported);
            Configuration again;
            ConfigurationEditor second(again);
            if (!second.importJson(configurationToJson(imported)) || !second.finish() ||
                formatConfiguration(again) != text) {
                std::fprintf(stderr, "export of an imported record does not import to the same file: %s\n",
                             second.error().c_str());
                std::abort();
            }
        }
        Configuration merged;
        ConfigurationEditor lenient(merged, JsonTyping::Lenient);
        if (json.is_object() && json.contains("remove"))
            lenient.removeJson(json["remove"]);
        lenient.mergeJson(json);
        lenient.finish();
        if (json.is_object()) {
            Json arguments = json;
            arguments.erase("path");
            runAnsibleModule(arguments);
        }
    }
    std::vector<std::string> words;
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        words.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    Configuration set;
    ConfigurationEditor paths(set);
    paths.setPaths(words);
    for (const std::string& word : words)
        paths.removePath(word);
    return 0;
}
