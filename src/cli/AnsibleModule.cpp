#include "cli/AnsibleModule.h"

#include <exception>
#include <fstream>
#include <optional>
#include <ostream>

#include "cli/BoundedRead.h"
#include "cli/ConfigEdit.h"
#include "config/ConfigFields.h"
#include "config/ConfigurationCheck.h"
#include "config/ConfigurationEditor.h"
#include "text/AsciiCase.h"

namespace {

constexpr const char* kModule = "quarvel_config";

// Ansible's booleans: true, false and the words its own modules take.
std::optional<bool> ansibleBoolean(const Json& value)
{
    if (value.is_boolean())
        return value.get<bool>();
    if (value.is_number_integer() && (value == 0 || value == 1))
        return value == 1;
    if (!value.is_string())
        return std::nullopt;
    const std::string word = upperAscii(value.get<std::string>());
    for (const char* yes : {"YES", "ON", "1", "TRUE", "T", "Y"})
        if (word == yes)
            return true;
    for (const char* no : {"NO", "OFF", "0", "FALSE", "F", "N"})
        if (word == no)
            return false;
    return std::nullopt;
}

// An object option; a string that holds one (as `ansible -a 'set=...'`
// hands it over) is parsed.
bool objectOption(const std::string& name, const Json& value, Json& object, std::string& message)
{
    if (value.is_string()) {
        std::string error;
        if (!parseJson(value.get<std::string>(), object, error)) {
            message = name + ": wants an object (its text is no JSON: " + error + ")";
            return false;
        }
    } else {
        object = value;
    }
    if (object.is_object() || object.is_null())
        return true;
    message = name + ": wants an object";
    return false;
}

std::string joinedFaults(const std::vector<std::string>& faults)
{
    std::string text;
    for (const std::string& fault : faults)
        text += (text.empty() ? "" : " ") + fault;
    return text;
}

struct Options {
    std::string path;
    Json set;
    Json remove;
    bool absent = false; // state: absent
    bool create = true;
    bool allowFaults = false;     // allow_faults, or its older name force
    bool backup = false;          // as Ansible's own modules: no backup unless asked
    bool discardRecovery = false; // discard_recovery
    bool replaceForeign = false;  // replace_foreign
    int lockTimeout = 10;         // lock_timeout: seconds to wait for another writer
    bool checkMode = false;
    bool diffMode = false;
    std::string conversions = "warn"; // Ansible's string conversion action
};

// The yes/no option of that name; nullptr for any other name.
bool* flagOption(Options& options, const std::string& name)
{
    if (name == "create")
        return &options.create;
    if (name == "allow_faults" || name == "force")
        return &options.allowFaults;
    if (name == "backup")
        return &options.backup;
    if (name == "discard_recovery")
        return &options.discardRecovery;
    if (name == "replace_foreign")
        return &options.replaceForeign;
    return nullptr;
}

bool readOptions(const Json& arguments, Options& options, std::string& message)
{
    if (!arguments.is_object()) {
        message = "the arguments are no JSON object";
        return false;
    }
    std::string unsupported;
    bool hasPath = false;
    for (const auto& [name, value] : arguments.items()) {
        if (name == "_ansible_check_mode" || name == "_ansible_diff") {
            (name == "_ansible_diff" ? options.diffMode : options.checkMode) = ansibleBoolean(value).value_or(false);
        } else if (name == "_ansible_string_conversion_action") {
            if (value.is_string())
                options.conversions = value.get<std::string>();
        } else if (name.rfind("_ansible_", 0) == 0) {
            // Ansible's other settings of the run: nothing here uses them.
        } else if (name == "path") {
            if (!value.is_string() || value.get<std::string>().empty()) {
                message = "path: wants the configuration file's path";
                return false;
            }
            options.path = value.get<std::string>();
            hasPath = true;
        } else if (name == "set" || name == "remove") {
            if (!objectOption(name, value, name == "set" ? options.set : options.remove, message))
                return false;
        } else if (name == "state") {
            if (value != "present" && value != "absent") {
                message = "value of state must be one of: present, absent, got: " +
                          (value.is_string() ? value.get<std::string>() : jsonExcerpt(value));
                return false;
            }
            options.absent = value == "absent";
        } else if (name == "lock_timeout") {
            if (!value.is_number_integer() || value < 0 || value > 3600) {
                message = "lock_timeout: wants whole seconds from 0 to 3600";
                return false;
            }
            options.lockTimeout = value.get<int>();
        } else if (bool* target = flagOption(options, name)) {
            const std::optional<bool> flag = ansibleBoolean(value);
            if (!flag) {
                message = name + ": wants a boolean (got " + jsonExcerpt(value) + ")";
                return false;
            }
            *target = *flag;
        } else {
            unsupported += (unsupported.empty() ? "" : ", ") + name;
        }
    }
    if (!unsupported.empty()) {
        message = "Unsupported parameters for (" + std::string(kModule) + ") module: " + unsupported +
                  ". Supported parameters include: allow_faults (force), backup, create, discard_recovery, "
                  "lock_timeout, path, remove, replace_foreign, set, state.";
        return false;
    }
    if (!hasPath) {
        message = "missing required arguments: path";
        return false;
    }
    if (options.path.front() != '/' && !(options.path.size() > 2 && options.path[1] == ':')) {
        message = "path: wants an absolute path (got '" + options.path + "')";
        return false;
    }
    return true;
}

// The records that set names under state absent, as removeJson takes them:
// {"Printers": [KEY, ...], ...}. An entry names a record by its key alone;
// a setting or the layout cannot be absent.
bool absentRecords(const Json& set, Json& records, std::string& message)
{
    const auto list = [&](const std::string& name, std::string_view keyField) {
        const Json& entries = set[name];
        if (!entries.is_array()) {
            message = "set: " + name + ": wants a list of objects (got " + jsonExcerpt(entries) + ")";
            return false;
        }
        const std::string key(keyField);
        std::size_t number = 0;
        for (const Json& entry : entries) {
            const std::string where = "set: " + name + " entry " + std::to_string(++number);
            if (!entry.is_object())
                message = where + ": wants an object (got " + jsonExcerpt(entry) + ")";
            else if (!entry.contains(key))
                message = where + ": wants its " + key + ", to find the record";
            else if (!entry[key].is_string() && !entry[key].is_number())
                message = where + "." + key + ": wants a text (got " + jsonExcerpt(entry[key]) + ")";
            else if (entry.size() != 1)
                message = where + ": with state absent, names the record by its " + key + " alone";
            else
                records[name].push_back(entry[key]);
            if (!message.empty())
                return false;
        }
        return true;
    };
    records = Json::object();
    for (const auto& [name, value] : set.items()) {
        bool listed = true;
        if (name == ListTraits<PrinterRecord>::name)
            listed = list(name, ListTraits<PrinterRecord>::keyField);
        else if (name == ListTraits<PaperRecord>::name)
            listed = list(name, ListTraits<PaperRecord>::keyField);
        else if (name == ListTraits<HeaderRecord>::name)
            listed = list(name, ListTraits<HeaderRecord>::keyField);
        else
            message = "set: " + name + ": with state absent, set names records to remove (Printers, Papers or Headers)";
        if (!listed || !message.empty())
            return false;
    }
    return true;
}

} // namespace

Json runAnsibleModule(const Json& arguments)
{
    Json result = {{"changed", false}};
    const auto failed = [&result](const std::string& message) {
        result["failed"] = true;
        result["msg"] = utf8WithLatin1Fallback(message);
        return result;
    };

    // Arguments that parseJson did not read may nest deeper than the
    // library's recursive copies go.
    if (!jsonDepthWithin(arguments))
        return failed("the arguments nest deeper than " + std::to_string(kJsonDepthLimit) + " levels");
    Options options;
    std::string message;
    if (!readOptions(arguments, options, message))
        return failed(message);
    result["path"] = options.path;

    WritePolicy policy;
    policy.wait = std::chrono::seconds(options.lockTimeout);
    policy.discardRecovery = options.discardRecovery;
    policy.replaceForeign = options.replaceForeign;
    policy.discardRecoveryOption = "discard_recovery: true";
    policy.replaceForeignOption = "replace_foreign: true";
    ConfigEdit edit;
    if (!edit.open(options.path, options.create, policy, message))
        return failed(message);
    ConfigurationEditor& editor = edit.editor(JsonTyping::Lenient);
    if (!options.remove.is_null() && !editor.removeJson(options.remove))
        return failed(editor.error());
    if (options.absent) {
        Json records;
        if (!options.set.is_null() && !absentRecords(options.set, records, message))
            return failed(message);
        if (!records.is_null() && !editor.removeJson(records))
            return failed(editor.error());
    } else if (!options.set.is_null() && !editor.mergeJson(options.set)) {
        return failed("set: " + editor.error());
    }
    if (!editor.finish())
        return failed("set: " + editor.error());
    if (options.conversions == "error" && !editor.conversions().empty())
        return failed("set: " + editor.conversions().front());

    const bool changed = edit.changed();
    // The lines of a file that held no configuration are not quoted.
    std::vector<std::string> warnings =
        edit.foreign() ? std::vector<std::string>{options.path + " held no configuration: all of it is replaced"}
                       : edit.warnings(changed);
    if (options.conversions != "ignore")
        warnings.insert(warnings.end(), editor.conversions().begin(), editor.conversions().end());
    result["warnings"] = warnings;
    std::vector<std::string> faults;
    for (std::string fault : findConfigurationFaults(edit.result()).lines) {
        while (!fault.empty() && fault.back() == '\n')
            fault.pop_back();
        faults.push_back(decodeText(fault, edit.result().Encoding));
    }
    result["faults"] = faults;
    if (!faults.empty() && !options.allowFaults)
        return failed("The configuration would keep the print server from working: " + joinedFaults(faults) +
                      " Nothing was written (allow_faults: true writes it all the same).");

    result["changed"] = changed;
    if (!changed) {
        result["msg"] = "unchanged";
        return result;
    }
    // A file that held no configuration is not shown: it may be anything.
    if (options.diffMode)
        result["diff"] = {{"before_header", options.path},
                          {"after_header", options.path},
                          {"before", edit.foreign() ? std::string("(a file that holds no configuration, not shown)\n")
                                                    : decodeText(edit.oldText(), edit.originalEncoding())},
                          {"after", decodeText(edit.newText(), edit.result().Encoding)}};
    if (options.checkMode) {
        result["msg"] = (edit.existed() ? "would save " : "would create ") + options.path;
        return result;
    }
    std::string backup;
    SaveOptions save;
    save.backup = options.backup;
    if (!edit.save(message, backup, save)) {
        result["changed"] = false;
        result.erase("diff");
        return failed(message);
    }
    result["msg"] = "saved " + options.path;
    if (!backup.empty()) {
        result["backup_file"] = utf8WithLatin1Fallback(backup);
        result["msg"] = "saved " + options.path + "; the old file is kept as " + utf8WithLatin1Fallback(backup);
    }
    return result;
}

int configModuleMain(int argc, const char* const* argv, std::ostream& out)
try {
    Json result;
    if (argc != 2) {
        result = {{"failed", true},
                  {"msg", std::string(kModule) + " is an Ansible module: it takes the path of its "
                                                 "arguments file, as Ansible runs it"}};
    } else {
        std::ifstream in(argv[1], std::ios::binary);
        std::string text;
        const BoundedRead read = readBounded(in, text);
        Json arguments;
        std::string message;
        if (read == BoundedRead::Failed)
            result = {{"failed", true}, {"msg", "cannot read the arguments file " + std::string(argv[1])}};
        else if (read == BoundedRead::TooLong)
            result = {{"failed", true},
                      {"msg", "the arguments file " + std::string(argv[1]) + " holds more than " + inputLimitText()}};
        else if (!parseJson(text, arguments, message))
            result = {{"failed", true}, {"msg", "the arguments file holds no JSON: " + message}};
        else
            result = runAnsibleModule(arguments);
    }
    out << result.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    out.flush();
    return result.value("failed", false) ? 1 : 0;
} catch (const std::exception& error) {
    // Whatever is thrown ends as a failure Ansible reads, not as an abort.
    out << Json({{"changed", false}, {"failed", true}, {"msg", std::string("the module failed: ") + error.what()}})
               .dump(-1, ' ', false, Json::error_handler_t::replace)
        << '\n';
    out.flush();
    return 1;
}
