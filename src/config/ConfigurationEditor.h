#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigJson.h"

class Configuration;

// How the values of a JSON record are taken.
enum class JsonTyping {
    // Each field's own JSON type: booleans for yes/no, numbers for integers
    // and reals, strings for texts and words.
    Strict,
    // Also what a template engine may make of a value (Ansible's does): a
    // string for a number or a yes/no, read as `quarvel-cfg set` reads it,
    // 0 or 1 for a yes/no, and a number for a text, taken as its digits (a
    // conversion, noted).
    Lenient,
};

// Changes a configuration field by field through the JSON form or the
// get/set paths (ConfigFields.h), checking each value as the editor checks
// it, by the rules of its key (ConfigKeys.h): integers whole and within the
// key's accepted range, reals finite, yes/no and vocabulary words known,
// densities a density word or an integer, texts storable in the file's code
// page and readable back as given (no line break, no tab, no blank at either
// end), names of papers and header bitmaps not empty and usable as a
// section header. A record named by a key that is not there is appended with the
// new record's defaults and that key.
//
// A call that fails sets error() (naming the field and what it wants) and
// may leave the configuration partly changed: edit a copy and drop it then.
class ConfigurationEditor {
  public:
    explicit ConfigurationEditor(Configuration& config, JsonTyping typing = JsonTyping::Strict);

    // The whole record of a JSON object onto a configuration that holds the
    // defaults: fields not given keep them, list entries are appended. Values
    // are checked for what the file holds (types, 32-bit integers, storable
    // texts), not for the editor's ranges and choices, so that every file's
    // export imports again.
    bool importJson(const Json& json);
    // A partial record: the fields given are set; list entries are matched by
    // PrinterAETitle or Name and get the fields given, or are appended.
    bool mergeJson(const Json& json);
    // {"Printers": [KEY, ...], "Papers": [...], "Headers": [...]}: removes every
    // record of each key; a key that names none is passed over. A record
    // removed here cannot be set by a later mergeJson.
    bool removeJson(const Json& json);

    // "PATH=VALUE" words of `quarvel-cfg set`, values as typed (UTF-8). A
    // change of Encoding applies before the others.
    bool setPaths(const std::vector<std::string>& assignments);
    // "Printers[KEY]" and the like: removes every record of that key.
    bool removePath(std::string_view path);

    // The checks that need the whole result: a value given for a key whose
    // written value comes from elsewhere ("Printer", the number of printers;
    // "Manufacturer") must be the one written.
    bool finish();

    // Whether a save would now write other bytes than before the first
    // change: a record added or removed, a text moved to another code page,
    // or a field or name whose written value is not the one it had. A value
    // changed and then set back is no change.
    bool changed() const;

    const std::string& error() const { return m_error; }
    // The texts taken from numbers under lenient typing, one note each.
    const std::vector<std::string>& conversions() const { return m_conversions; }

  private:
    friend class EditorSteps; // the steps, in the source file

    struct WrittenCheck {
        std::string where;
        std::string given;
        const void* def; // a KeyDef<Configuration> with a written value
    };

    // A field (or a record's name) as it was written before its first
    // change, and how it is written now.
    struct Watched {
        std::string before;
        std::function<std::string()> now;
    };

    bool applyJson(const Json& json, bool import);

    Configuration& m_config;
    JsonTyping m_typing;
    std::string m_error;
    std::vector<std::string> m_conversions;
    std::vector<WrittenCheck> m_writtenChecks;
    std::set<std::string> m_removed[3]; // keys removed, by ListKind
    // By record and field; a record's name has no field. The records are
    // looked at again only while none was added or removed (m_reshaped), so
    // none has moved.
    std::map<std::pair<const void*, const void*>, Watched> m_watched;
    bool m_reshaped = false;
};
