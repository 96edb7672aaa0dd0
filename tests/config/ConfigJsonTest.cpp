// The JSON form of the configuration in the core: export, then import gives
// the record a save of the original writes, for any file (also on Windows).
#include <gtest/gtest.h>
#include <random>

#include "SampleConfig.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigJson.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ConfigurationEditor.h"

namespace {

// The file a save of text writes, and the one that export, then import
// of it writes; false (and the editor's message) when the import refused.
bool throughJson(const std::string& text, std::string& normal, std::string& imported)
{
    Configuration original;
    ConfigReader(original).readText(text);
    normal = formatConfiguration(original);
    const std::string json = jsonText(configurationToJson(original));
    Json parsed;
    std::string message;
    if (!parseJson(json, parsed, message)) {
        imported = message + "\n" + json;
        return false;
    }
    Configuration copy;
    ConfigurationEditor editor(copy);
    if (!editor.importJson(parsed) || !editor.finish()) {
        imported = editor.error() + "\n" + json;
        return false;
    }
    imported = formatConfiguration(copy);
    return true;
}

} // namespace

TEST(ConfigJson, ExportThenImportWritesWhatASaveWritesOrRefusesAValueTheEditorRefuses)
{
    Configuration sample;
    fillSample(sample);
    std::string normal, imported;
    ASSERT_TRUE(throughJson(formatConfiguration(sample), normal, imported)) << imported;
    EXPECT_EQ(imported, normal);

    // Pieces of files as hand edits leave them: every kind of value in and
    // out of the editor's ranges, texts in both code pages, repeated
    // sections, names the reader cuts.
    const std::string pieces[] = {"[[[PRINTER]]]\n",
                                  "[[SETTINGS]]\n",
                                  "[GENERAL]\n",
                                  "Printer = 7\n",
                                  "SurpressPrinting = yes\n",
                                  "[Printer-1]\n",
                                  "[Printer-3]\n",
                                  "PrinterAETitle = LASER\n",
                                  "UseRedGraduation = maybe\n",
                                  "Description = \xe4\xfc\n",
                                  "Description = \xc3\xa4\xe2\x82\xac\n",
                                  "[[[DICOM]]]\n",
                                  "[[PRINTER]]\n",
                                  "[Label]\n",
                                  "Text = a \"quoted\" \\ text\n",
                                  "LabelSize = -3\n",
                                  "[General]\n",
                                  "Manufacturer = Other\n",
                                  "[[SESSION]]\n",
                                  "Copies = 0\n",
                                  "Priority = urgent\n",
                                  "MediumType = film\n",
                                  "[[TCPIP]]\n",
                                  "[Server]\n",
                                  "Port = 99999999999\n",
                                  "[[[CONFIGURATION]]]\n",
                                  "[[PAGE SIZE]]\n",
                                  "[A4]\n",
                                  "[]\n",
                                  "[ spaced ]\n",
                                  "[a]b]\n",
                                  "SizeX = 12abc\n",
                                  "OffsetY = -2147483648\n",
                                  "[[[HEADER]]]\n",
                                  "[[STANDARD]]\n",
                                  "[LOGO]\n",
                                  "IncludeFile = C:\\x.bmp\n",
                                  "[[[LAYOUTS]]]\n",
                                  "[Defaults]\n",
                                  "BorderDensity = grey\n",
                                  "EmptyImageDensity = 300\n",
                                  "Orientation = landscape\n",
                                  "PageSize = A4\n",
                                  "ImageDistance = 14.175\n",
                                  "TrimWidth = -1e300\n",
                                  "TrimWidth = 0.005\n",
                                  "ImageDistance = 1234567890123456.78\n",
                                  "ImageDistance = nan\n"};
    std::mt19937 rng(26);
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int i = std::uniform_int_distribution<int>(0, 40)(rng); i > 0; --i)
            text += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
        if (!throughJson(text, normal, imported)) {
            // A value the editor refuses, named by its field.
            ASSERT_NE(imported.find(": wants "), std::string::npos) << text << "\n" << imported;
            ++refused;
            continue;
        }
        ASSERT_EQ(imported, normal) << text;
    }
    // Both ways are taken.
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, 400);
}

namespace {

// A document that opens levels arrays after before (and closes them again).
std::string nested(const std::string& before, std::size_t levels, const std::string& after = "")
{
    return before + std::string(levels, '[') + std::string(levels, ']') + after;
}

std::string tooDeepAt(int column)
{
    return "parse error at line 1, column " + std::to_string(column) +
           ": arrays and objects nest deeper than 64 levels";
}

// A value nested levels arrays deep, built in memory without recursion.
Json deepArray(std::size_t levels)
{
    Json value = 104;
    for (std::size_t i = 0; i < levels; ++i) {
        Json outer = Json::array();
        outer.push_back(std::move(value));
        value = std::move(outer);
    }
    return value;
}

} // namespace

TEST(ConfigJson, HostileDocumentsAreRefusedSayingWhereAndWhy)
{
    std::string objects;
    for (int i = 0; i < 100000; ++i)
        objects += "{\"a\":";
    const struct {
        const char* what;
        std::string text;
        std::string message;
    } rows[] = {
        // Nesting: the 65th level is refused where it opens, whatever opens it.
        {"100,000 levels of [ as the whole document", nested("", 100000), tooDeepAt(65)},
        {"10,000 levels of [ as the whole document", nested("", 10000), tooDeepAt(65)},
        {"65 levels as the whole document", nested("", 65), tooDeepAt(65)},
        {"100,000 levels as the value of Port", nested("{\"Port\":", 100000, "}"), tooDeepAt(8 + 64)},
        {"100,000 levels as the value of Text", nested("{\"Text\":", 100000, "}"), tooDeepAt(8 + 64)},
        {"100,000 levels as the value of Printers", nested("{\"Printers\":", 100000, "}"), tooDeepAt(12 + 64)},
        {"100,000 levels in a printer's field", nested("{\"Printers\":[{\"Description\":", 100000, "}]}"),
         tooDeepAt(28 + 62)},
        {"100,000 levels of objects", objects, tooDeepAt(64 * 5 + 1)},
        {"100,000 levels on the third line", nested("{\n\"Port\": 1,\n\"Text\": ", 100000, "}"),
         "parse error at line 3, column 72: arrays and objects nest deeper than 64 levels"},
        // Numbers no double holds.
        {"1e400", R"({"Port":1e400})", "parse error at line 1, column 13: number out of range: 1e400"},
        {"1e309", R"({"Port":1e309})", "parse error at line 1, column 13: number out of range: 1e309"},
        {"-1e999", R"({"Port":-1e999})", "parse error at line 1, column 14: number out of range: -1e999"},
        {"1e999 as the whole document", "1e999", "parse error at line 1, column 5: number out of range: 1e999"},
        {"10 MB of digits", "{\"Port\":" + std::string(10'000'000, '7') + "}",
         "parse error at line 1, column 10000008: number out of range: " + std::string(57, '7') + "..."},
        // Keys given twice, at any level.
        {"a key twice", R"({"Port":104,"Port":105})",
         "parse error at line 1, column 18: the key \"Port\" is given twice in one object"},
        {"a key twice in a printer", R"({"Printers":[{"PrinterAETitle":"A","PrinterAETitle":"B"}]})",
         "parse error at line 1, column 51: the key \"PrinterAETitle\" is given twice in one object"},
        {"a key twice on another line", "{\n  \"Port\": 104,\n  \"Text\": \"a\",\n  \"Port\": 105\n}",
         "parse error at line 4, column 8: the key \"Port\" is given twice in one object"},
        {"a long key twice", "{\"" + std::string(100, 'k') + "\":1,\"" + std::string(100, 'k') + "\":2}",
         "parse error at line 1, column 208: the key \"" + std::string(56, 'k') + "... is given twice in one object"},
        // What the library quotes of a long token is cut.
        {"a string of 10 MB that never ends", "{\"Text\":\"" + std::string(10'000'000, 'a'),
         "parse error at line 1, column 10000010: syntax error while parsing value - invalid string: missing "
         "closing quote; last read: '\"" +
             std::string(56, 'a') + "...'"},
        {"no JSON", "{\"Port\": 104",
         "parse error at line 1, column 13: syntax error while parsing object - "
         "unexpected end of input; expected '}'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Json json = 1;
        std::string message;
        EXPECT_FALSE(parseJson(row.text, json, message));
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(json, 1); // untouched
    }

    const struct {
        const char* what;
        std::string text;
    } taken[] = {
        {"64 levels as the whole document", nested("", 64)},
        {"63 levels under Port", nested("{\"Port\":", 63, "}")},
        {"the same key in two objects", R"([{"a":1},{"a":2}])"},
        {"the same key at two levels", R"({"a":{"a":1}})"},
        {"a number too small for a double", R"({"a":1e-400})"},
        {"30 digits: a double", R"({"a":123456789012345678901234567890})"},
    };
    for (const auto& row : taken) {
        Json json;
        std::string message;
        EXPECT_TRUE(parseJson(row.text, json, message)) << row.what << ": " << message;
    }
    Json json;
    std::string message;
    ASSERT_TRUE(parseJson(R"({"b":1,"a":[2,{"c":null}],"Port":1e-400})", json, message));
    EXPECT_EQ(json.dump(), R"({"b":1,"a":[2,{"c":null}],"Port":0.0})"); // in the order given
}

TEST(ConfigJson, ExcerptsShowAValueInAtMostSixtyBytesWhateverItsSizeAndDepth)
{
    // 100,000 keys, read in linear time (ordered_json looks a key up in a
    // list, the parser by hash).
    std::string keys = "{";
    for (int i = 0; i < 100000; ++i)
        keys += (i == 0 ? "\"k" : ",\"k") + std::to_string(i) + "\":" + std::to_string(i);
    Json wide;
    std::string message;
    ASSERT_TRUE(parseJson(keys + "}", wide, message)) << message;
    ASSERT_EQ(wide.size(), 100000u);
    EXPECT_EQ(wide["k99999"], 99999);
    std::string utf8;
    for (int i = 0; i < 100; ++i)
        utf8 += "\xc3\xbc"; // ü
    const struct {
        const char* what;
        Json value;
        std::string excerpt;
    } rows[] = {
        {"a number", 104, "104"},
        {"a real", 104.5, "104.5"},
        {"a short value as it stands", Json::parse(R"([{"Port":104}])"), R"([{"Port":104}])"},
        {"a long text", std::string(100, 'x'), "\"" + std::string(56, 'x') + "..."},
        {"cut between characters only", utf8, "\"" + utf8.substr(0, 56) + "..."},
        {"100,000 levels", deepArray(100000), std::string(57, '[') + "..."},
        {"100,000 keys", wide, R"({"k0":0,"k1":1,"k2":2,"k3":3,"k4":4,"k5":5,"k6":6,"k7":7,...)"},
        {"60 bytes are not cut", std::string(58, 'y'), "\"" + std::string(58, 'y') + "\""},
        {"bytes that are no UTF-8 replaced", std::string("\xff"), "\"\xef\xbf\xbd\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(jsonExcerpt(row.value), row.excerpt);
        EXPECT_LE(jsonExcerpt(row.value).size(), kExcerptLength);
    }
    EXPECT_EQ(textExcerpt(std::string(60, 't')), std::string(60, 't'));
    EXPECT_EQ(textExcerpt(std::string(61, 't')), std::string(57, 't') + "...");

    EXPECT_TRUE(jsonDepthWithin(104));
    EXPECT_TRUE(jsonDepthWithin(deepArray(64)));
    EXPECT_FALSE(jsonDepthWithin(deepArray(65)));
    EXPECT_FALSE(jsonDepthWithin(deepArray(100000)));
    EXPECT_TRUE(jsonDepthWithin(wide, 1));
    EXPECT_FALSE(jsonDepthWithin(Json::parse(R"({"a":[]})"), 1));
}
