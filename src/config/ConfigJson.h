#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

class Configuration;

// The configuration as one JSON object, the form "configuration as code"
// tools read and write. Its shape is a public interface and stays flat
// whatever records the code groups fields into: every setting under its key
// name at the top level ("Port": 104), "Printers", "Papers" and "Headers" as
// arrays of objects with every field of their record (papers and header
// bitmaps with their "Name" first), "Layout" as an object, and "Encoding"
// ("Windows-1252" or "UTF-8"), the code page the file's texts are stored in.
// Names and their order follow the key tables (ConfigKeys.h): the order of
// the file. Yes/no are booleans, integers and reals numbers (a real as the
// file writes it, so 14.17 stays 14.17), codes their words ("MED"), texts
// strings decoded from the code page.
using Json = nlohmann::ordered_json;

Json configurationToJson(const Configuration& config);

// Parses a JSON text; false with a message that says where it is not JSON.
bool parseJson(std::string_view text, Json& json, std::string& message);

// json as text, indented by two blanks, non-ASCII characters as UTF-8.
std::string jsonText(const Json& json);

// One value by its path (see FieldPath in ConfigFields.h): "Port",
// "Layout.PageSize", "Printers[LASER1].PrinterAddress". value is then the
// value as the file writes it ("YES", "14.17", "MED"), texts in UTF-8; for
// a record that is not there and a bad path it is the message instead.
enum class PathLookup { Found, NoRecord, BadPath };
PathLookup valueAtPath(const Configuration& config, std::string_view path, std::string& value);
