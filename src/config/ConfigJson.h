#pragma once

#include <cstddef>
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

// How deep parseJson lets arrays and objects nest: the whole document is
// one level, {"Printers": [{...}]} three. The JSON form needs three; deeper
// input is refused while it is read, so that no deep tree is ever built
// (the library writes and copies trees recursively).
constexpr std::size_t kJsonDepthLimit = 64;

// Parses a JSON text; false with a message that says where it is not JSON:
// a syntax error, a number no double holds (1e400), arrays and objects
// nested deeper than kJsonDepthLimit, a key given twice in one object, no
// memory. Nothing the library throws leaves it.
bool parseJson(std::string_view text, Json& json, std::string& message);

// Whether json nests no deeper than limit levels (checked without recursion).
bool jsonDepthWithin(const Json& json, std::size_t limit = kJsonDepthLimit);

// A value for a message: its JSON text on one line, at most kExcerptLength
// bytes, cut with "..." (at a character's boundary) when longer. Any value
// may be given: neither its size nor its depth matters.
constexpr std::size_t kExcerptLength = 60;
std::string jsonExcerpt(const Json& json);
// A text for a message, cut as jsonExcerpt cuts.
std::string textExcerpt(std::string_view text);

// json as text, indented by two blanks, non-ASCII characters as UTF-8.
std::string jsonText(const Json& json);

// One value by its path (see FieldPath in ConfigFields.h): "Port",
// "Layout.PageSize", "Printers[LASER1].PrinterAddress". value is then the
// value as the file writes it ("YES", "14.17", "MED"), texts in UTF-8; for
// a record that is not there and a bad path it is the message instead.
enum class PathLookup { Found, NoRecord, BadPath };
PathLookup valueAtPath(const Configuration& config, std::string_view path, std::string& value);
