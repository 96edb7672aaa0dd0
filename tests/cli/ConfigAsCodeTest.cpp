// quarvel-cfg export, import and get: the configuration as code
// (SetRemoveTest.cpp: set and remove).
#include <gtest/gtest.h>

#include "ToolRun.h"
#include "cli/BoundedRead.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigJson.h"
#include "config/ConfigKeys.h"
#include "config/Configuration.h"

namespace {

// Files as administrators leave them: edited by hand, by other tools, on
// Windows and on Linux.
struct HandWritten {
    const char* what;
    std::string text;
    const char* refused = nullptr; // import's message for a value the editor refuses
};

const HandWritten kHandWritten[] = {
    {"keys in lower case, LF line ends, no banner",
     "[[[dicom]]]\n[[tcpip]]\n[server]\nport=11112\nserveraetitle = RAD\n"},
    {"comments, an unknown key and section, a section given twice",
     "; site 7\r\n[[[PRINTER]]]\r\n[[SETTINGS]]\r\n[Printer-1]\r\nPrinterAETitle = LASER\r\nTypo = 1\r\n"
     "[[[DICOM]]]\r\n[[SESSION]]\r\n[General]\r\nCopies = 2\r\n[Extra]\r\nX = 1\r\n[General]\r\nCopies = 4\r\n"},
    {"UTF-8 texts", "[[[DICOM]]]\n[[PRINTER]]\n[Label]\nText = Radiologie Z\xc3\xbcrich \xe2\x80\x93 3. OG\n"
                    "[[[HEADER]]]\n[[STANDARD]]\n[Logo \xc3\xa9]\nIncludeFile = C:\\logo.bmp\n"},
    {"Windows-1252 texts, the five undefined bytes among them",
     "[[[DICOM]]]\n[[PRINTER]]\n[Label]\nText = Z\xfcrich \x80 \x81\x8d\x8f\x90\x9d\n"},
    {"reals with more places, words in lower case, yes/no as 1 and 0, a free density",
     "[[[LAYOUTS]]]\n[[STANDARD]]\n[General]\nImageDistance = 14.175\nTrimWidth=1234.5678901234567\n[Defaults]\n"
     "Orientation = landscape\nTrim = 1\nBorderDensity = 40\n[[[DICOM]]]\n[[SESSION]]\n[General]\n"
     "Priority = high\n"},
    {"a printer count and a maker that a save replaces",
     "[[[PRINTER]]]\n[[SETTINGS]]\n[GENERAL]\nPrinter = 5\n[Printer-1]\nPrinterAETitle=A\n[[[DICOM]]]\n"
     "[[PRINTER]]\n[General]\nManufacturer = Other\n"},
    {"values outside the editor's ranges, a paper without a name",
     "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 99999\n[[SESSION]]\n[General]\nCopies = 0\n"
     "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n[]\nSizeX = 1\n[A4]\nSizeX = 595\nSizeY = 842\n",
     "Copies: wants an integer from 1 to 1000 (got 0)"},
    {"a huge real and a density that is no density",
     "[[[LAYOUTS]]]\n[[STANDARD]]\n[General]\nTrimWidth=1234567890123456.78\n[Defaults]\nBorderDensity = grey\n",
     "Layout.TrimWidth: wants a number from -10000 to 10000 (got 1.2345678901234567e+15)"},
    {"the golden sample", ""},
};

// Paths and what get prints for them from the golden sample.
struct Lookup {
    std::string path;
    int status;
    std::string out;
    std::string err;
};

} // namespace

TEST(ExportImport, HandWrittenFilesComeBackAsNormalizeWritesThem)
{
    TempDir dir;
    for (const HandWritten& file : kHandWritten) {
        SCOPED_TRACE(file.what);
        const std::string in = dir.file("in.cfg");
        writeBytes(in, file.text.empty() ? readBytes(goldenPath("sample.cfg")) : file.text);
        ASSERT_EQ(tool({"normalize", in, dir.file("normal.cfg")}).status, 0);

        const ToolRun exported = tool({"export", in});
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_EQ(exported.err, "");
        const ToolRun imported = tool({"import", "-", "-"}, exported.out);
        if (file.refused) {
            // What the editor would refuse, import refuses: the first such
            // field is named.
            EXPECT_EQ(imported.status, 2);
            EXPECT_EQ(imported.err, error(file.refused));
            continue;
        }
        ASSERT_EQ(imported.status, 0) << imported.err << exported.out;
        EXPECT_TRUE(imported.out == readBytes(dir.file("normal.cfg"))) << exported.out;

        // And through files, with the report of the save.
        writeBytes(dir.file("in.json"), exported.out);
        // A hand-written piece has faults that stop the server: written all
        // the same when asked.
        const ToolRun saved = tool({"import", "--allow-faults", dir.file("in.json"), dir.file("out.cfg")});
        EXPECT_EQ(saved.out, "Configuration saved to file '" + dir.file("out.cfg") + "'.\n");
        EXPECT_TRUE(readBytes(dir.file("out.cfg")) == readBytes(dir.file("normal.cfg")));
        std::remove(dir.file("out.cfg").c_str());
    }
}

TEST(Export, EveryFieldOfTheKeyTablesFlatInTheFileOrderWithItsJsonType)
{
    TempDir dir;
    writeBytes(dir.file("sample.cfg"), readBytes(goldenPath("sample.cfg")));
    const ToolRun run = tool({"export", dir.file("sample.cfg")});
    ASSERT_EQ(run.status, 0);
    Json json;
    std::string message;
    ASSERT_TRUE(parseJson(run.out, json, message)) << message;

    // The names the tables give, in their order; every value of its type.
    const auto typed = [](KeyType type, const Json& value) {
        switch (type) {
        case KeyType::YesNo:
            return value.is_boolean();
        case KeyType::Integer:
            return value.is_number_integer();
        case KeyType::Real:
            return value.is_number();
        case KeyType::Text:
        case KeyType::Word:
            break;
        }
        return value.is_string();
    };
    const auto names = [](const Json& object) {
        std::vector<std::string> keys;
        for (const auto& [key, value] : object.items())
            keys.push_back(key);
        return keys;
    };
    const auto fieldsOf = [&](const auto& keys, const Json& object, std::vector<std::string> expected) {
        for (const auto& def : keys) {
            if (def.readOnly)
                continue;
            expected.emplace_back(def.key);
            EXPECT_TRUE(typed(def.type, object[std::string(def.key)])) << def.key << ": " << object.dump();
        }
        EXPECT_EQ(names(object), expected);
    };
    std::vector<std::string> topLevel;
    std::vector<std::string> layout;
    for (const SectionDef& section : fileSections()) {
        for (const auto& def : section.settingsKeys) {
            if (def.readOnly)
                continue;
            topLevel.emplace_back(def.key);
            EXPECT_TRUE(typed(def.type, json[std::string(def.key)])) << def.key;
        }
        for (const auto& def : section.layoutKeys) {
            layout.emplace_back(def.key);
            EXPECT_TRUE(typed(def.type, json["Layout"][std::string(def.key)])) << def.key;
        }
        const char* list = section.kind == SectionKind::Printers  ? "Printers"
                           : section.kind == SectionKind::Papers  ? "Papers"
                           : section.kind == SectionKind::Headers ? "Headers"
                                                                  : nullptr;
        if (section.kind == SectionKind::Layout && (topLevel.empty() || topLevel.back() != "Layout"))
            topLevel.emplace_back("Layout");
        if (!list)
            continue;
        topLevel.emplace_back(list);
        ASSERT_TRUE(json[list].is_array()) << list;
        EXPECT_FALSE(json[list].empty()) << list;
        for (const Json& record : json[list]) {
            if (section.kind == SectionKind::Printers)
                fieldsOf(printerKeys(), record, {});
            else if (section.kind == SectionKind::Papers)
                fieldsOf(paperKeys(), record, {"Name"});
            else
                fieldsOf(headerKeys(), record, {"Name"});
        }
    }
    topLevel.emplace_back("Encoding");
    EXPECT_EQ(names(json), topLevel);
    EXPECT_EQ(names(json["Layout"]), layout);

    // Values in their JSON types: yes/no as booleans, numbers as numbers, words and texts as strings.
    EXPECT_EQ(json["SuppressPrinting"], true);
    EXPECT_EQ(json["Port"], 5104);
    EXPECT_EQ(json["ServerAETitle"], "RADSRV");
    EXPECT_EQ(json["Text"], "St. Elsewhere = radiology");
    EXPECT_EQ(json["Priority"], "HIGH");
    EXPECT_EQ(json["Printers"][1]["PrinterAETitle"], "COLOR");
    EXPECT_EQ(json["Papers"][2]["Name"], "14IN X 17IN Film");
    EXPECT_EQ(json["Headers"][0]["IncludeFile"], "C:\\bitmaps\\logo.bmp");
    EXPECT_EQ(json["Encoding"], "Windows-1252");
    // A real as the file writes it: no binary tail.
    EXPECT_NE(run.out.find("\n    \"TrimWidth\": 2.5,\n"), std::string::npos) << run.out;

    const ToolRun fresh = tool({"export", "-"}, readBytes(goldenPath("fresh.cfg")));
    EXPECT_NE(fresh.out.find("\n    \"ImageDistance\": 14.17,\n"), std::string::npos) << fresh.out;
    EXPECT_NE(fresh.out.find("\n  \"Port\": 104,\n"), std::string::npos);
}

TEST(Export, TextsDecodedFromTheFilesCodePage)
{
    Json json;
    std::string message;
    ASSERT_TRUE(parseJson(tool({"export", "-"}, kHandWritten[3].text).out, json, message));
    EXPECT_EQ(json["Text"], "Z\xc3\xbcrich \xe2\x82\xac \xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d");
    EXPECT_EQ(json["Encoding"], "Windows-1252");
    ASSERT_TRUE(parseJson(tool({"export", "-"}, kHandWritten[2].text).out, json, message));
    EXPECT_EQ(json["Text"], "Radiologie Z\xc3\xbcrich \xe2\x80\x93 3. OG");
    EXPECT_EQ(json["Headers"][0]["Name"], "Logo \xc3\xa9");
    EXPECT_EQ(json["Encoding"], "UTF-8");
}

TEST(Import, MissingFieldsTakeTheDefaultsOfANewRecord)
{
    const ToolRun run = tool({"import", "-", "-"}, R"({"Port": 11112, "Printers": [{"PrinterAETitle": "LASER1"}],
        "Papers": [{"Name": "A4", "SizeX": 595}], "Layout": {"PageSize": "A4", "Trim": true}})");
    ASSERT_EQ(run.status, 0) << run.err;
    Configuration expected;
    expected.Port = 11112;
    PrinterRecord printer;
    printer.PrinterAETitle = "LASER1";
    expected.Printers.add(printer);
    PaperRecord paper;
    paper.Name = "A4";
    paper.SizeX = 595;
    expected.Papers.add(paper);
    expected.Layout.PageSize = "A4";
    expected.Layout.Trim = true;
    EXPECT_TRUE(run.out == formatConfiguration(expected));

    // The code page of the texts: Windows-1252 unless told.
    EXPECT_NE(tool({"import", "-", "-"}, R"({"Text": "Z\u00fcrich"})").out.find("\r\nText = Z\xfcrich\r\n"),
              std::string::npos);
    EXPECT_NE(tool({"import", "-", "-"}, R"({"Text": "Z\u00fcrich", "Encoding": "UTF-8"})")
                  .out.find("\r\nText = Z\xc3\xbcrich\r\n"),
              std::string::npos);
}

TEST(Import, RefusesWhatTheFileCannotHoldNamingTheFieldAndLeavesOutAsItWas)
{
    const std::pair<std::string, std::string> refused[] = {
        {R"({"Prot": 104})", "unknown field 'Prot'"},
        {R"({"port": 104})", "unknown field 'port' (did you mean 'Port'?)"},
        {R"({"SurpressPrinting": true})", "unknown field 'SurpressPrinting'"},
        {R"({"Port": "104"})", "Port: wants an integer from 0 to 65535 (got \"104\")"},
        {R"({"Port": 104.5})", "Port: wants an integer from 0 to 65535 (got 104.5)"},
        {R"({"Copies": 2147483648})", "Copies: wants an integer from 1 to 1000 (got 2147483648)"},
        // The editor's ranges and words hold for an import too.
        {R"({"Port": 65536})", "Port: wants an integer from 0 to 65535 (got 65536)"},
        {R"({"Copies": 0})", "Copies: wants an integer from 1 to 1000 (got 0)"},
        {R"({"Papers": [{"Name": ""}]})", "Papers[].Name: wants a name that is not empty, does not start with '[' "
                                          "and holds no ']' or control character (got '')"},
        {R"({"Layout": {"BorderDensity": "grey"}})",
         "Layout.BorderDensity: wants BLACK, WHITE or an integer (got 'grey')"},
        {R"({"Layout": {"ImageDistance": 1e308}})",
         "Layout.ImageDistance: wants a number from -10000 to 10000 (got 1e+308)"},
        {R"({"Text": "bell\u0007"})", "Text: wants a text without control characters (line breaks, tabs, escape "
                                      "...) or blanks at either end (got 'bell\\x07')"},
        {R"({"SuppressPrinting": "yes"})", "SuppressPrinting: wants true or false (got \"yes\")"},
        {R"({"Priority": "URGENT"})", "Priority: wants one of LOW, MED or HIGH (got 'URGENT')"},
        {R"({"Text": 7})", "Text: wants a text (got 7)"},
        {R"({"Text": "two\nlines"})",
         "Text: wants a text without control characters (line breaks, tabs, escape ...) or blanks at either end "
         "(got 'two\\x0alines')"},
        {R"({"Text": " padded"})",
         "Text: wants a text without control characters (line breaks, tabs, escape ...) or blanks at either end "
         "(got ' padded')"},
        {R"({"Text": "\u65e5\u672c"})",
         "Text: the file's code page Windows-1252 cannot hold '\xe6\x97\xa5' (set Encoding to UTF-8 to store it)"},
        {R"({"Encoding": "Latin-1"})", "Encoding: wants \"UTF-8\" or \"Windows-1252\" (got \"Latin-1\")"},
        {R"({"Layout": {"PageSise": "A4"}})", "'Layout.PageSise': unknown field 'PageSise' of the layout"},
        {R"({"Layout": {"ImageDistance": "14"}})",
         "Layout.ImageDistance: wants a number from -10000 to 10000 (got \"14\")"},
        {R"({"Layout": []})", "Layout: wants an object (got [])"},
        {R"({"Printers": {}})", "Printers: wants a list of objects (got {})"},
        {R"({"Printers": [7]})", "Printers entry 1: wants an object (got 7)"},
        {R"({"Printers": [{"PrinterAETitle": "A", "Queue": "lp"}]})", "Printers[A]: unknown field 'Queue'"},
        {R"({"Printers": [{"PrinterAETitle": "A", "UseGrayGraduation": 1}]})",
         "Printers[A].UseGrayGraduation: wants true or false (got 1)"},
        {R"({"Papers": [{"SizeX": 1}]})", "Papers entry 1: wants its Name"},
        {R"({"Papers": [{"Name": "A4"}, {"Name": "A4"}]})", "Papers[A4]: is given twice"},
        {R"({"Papers": [{"Name": "A]4"}]})",
         "Papers[A]4].Name: wants a name that is not empty, does not start with '[' and holds no ']' or control "
         "character (got 'A]4')"},
        {R"({"Headers": [{"Name": "LOGO", "IncludeFile": false}]})",
         "Headers[LOGO].IncludeFile: wants a text (got false)"},
        {R"({"Printer": 1})", "Printer: a save writes 0 here, whatever is given; give that or leave the field out"},
        {R"({"Manufacturer": "Other"})",
         "Manufacturer: a save writes Ardeval Ltd. here, whatever is given; give that or leave the field out"},
        {R"([{"Port": 104}])", "wants a JSON object of fields, as export writes it (got [{\"Port\":104}])"},
        {R"({"Port": 104)", "<stdin> is no JSON: parse error at line 1, column 13: syntax error while parsing "
                            "object - unexpected end of input; expected '}'"},
    };
    TempDir dir;
    writeBytes(dir.file("config.cfg"), "old");
    for (const auto& [json, message] : refused) {
        const ToolRun run = tool({"import", "-", dir.file("config.cfg")}, json);
        EXPECT_EQ(run.status, 2) << json;
        EXPECT_EQ(run.err, error(message)) << json;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(readBytes(dir.file("config.cfg")), "old");
    EXPECT_EQ(backups(dir), std::vector<std::string>());
}

TEST(Import, HostileJsonIsRefusedSayingWhereAndLeavesOutAsItWas)
{
    const auto nested = [](const std::string& before, std::size_t levels, const std::string& after) {
        return before + std::string(levels, '[') + std::string(levels, ']') + after;
    };
    const std::string tooDeep = "arrays and objects nest deeper than 64 levels";
    const std::string wantsInteger = "Port: wants an integer from 0 to 65535 (got ";
    const struct {
        const char* what;
        std::string json;
        std::string message;
    } rows[] = {
        {"100,000 levels as the whole document", nested("", 100000, ""),
         "<stdin> is no JSON: parse error at line 1, column 65: " + tooDeep},
        {"100,000 levels as the value of Port", nested(R"({"Port":)", 100000, "}"),
         "<stdin> is no JSON: parse error at line 1, column 72: " + tooDeep},
        {"100,000 levels as the value of Text", nested(R"({"Text":)", 100000, "}"),
         "<stdin> is no JSON: parse error at line 1, column 72: " + tooDeep},
        {"100,000 levels as the value of Printers", nested(R"({"Printers":)", 100000, "}"),
         "<stdin> is no JSON: parse error at line 1, column 76: " + tooDeep},
        {"63 levels under Port: JSON, but no integer", nested(R"({"Port":)", 63, "}"),
         wantsInteger + std::string(57, '[') + "...)"},
        {"1e400", R"({"Port":1e400})",
         "<stdin> is no JSON: parse error at line 1, column 13: number out of range: 1e400"},
        {"1e309", R"({"Port":1e309})",
         "<stdin> is no JSON: parse error at line 1, column 13: number out of range: 1e309"},
        {"-1e999", R"({"Port":-1e999})",
         "<stdin> is no JSON: parse error at line 1, column 14: number out of range: -1e999"},
        {"10 MB of digits", "{\"Port\":" + std::string(10'000'000, '9') + "}",
         "<stdin> is no JSON: parse error at line 1, column 10000008: number out of range: " + std::string(57, '9') +
             "..."},
        {"30 digits: a double, no integer", R"({"Port":123456789012345678901234567890})",
         wantsInteger + "1.2345678901234568e+29)"},
        {"10 MB of text for a number", "{\"Port\":\"" + std::string(10'000'000, 'x') + "\"}",
         wantsInteger + "\"" + std::string(56, 'x') + "...)"},
        {"a key twice", R"({"Port":104,"Port":105})",
         "<stdin> is no JSON: parse error at line 1, column 18: the key \"Port\" is given twice in one object"},
        {"a key twice in the layout", R"({"Layout":{"Trim":true,"Trim":false}})",
         "<stdin> is no JSON: parse error at line 1, column 29: the key \"Trim\" is given twice in one object"},
    };
    TempDir dir;
    writeBytes(dir.file("config.cfg"), "old");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ToolRun run = tool({"import", "-", dir.file("config.cfg")}, row.json);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, error(row.message));
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(readBytes(dir.file("config.cfg")), "old");
    EXPECT_EQ(backups(dir), std::vector<std::string>());
}

TEST(StandardInput, MoreThan256MiBIsRefusedForEveryCommandAndNothingIsWritten)
{
    EXPECT_EQ(kInputLimit, 256u * 1024 * 1024);
    TempDir dir;
    writeBytes(dir.file("config.cfg"), "[[SETTINGS]]\nold");
    const std::vector<std::string> commands[] = {
        {"import", "-", dir.file("config.cfg")},
        {"export", "-"},
        {"get", "-", "Port"},
        {"set", "-", "Port=1"},
        {"set", "--dry-run", "-", "Port=1"},
        {"remove", "-", "Printers[A]"},
        {"check", "-"},
        {"check", "--json", "-"},
        {"diff", "-"},
        {"normalize", "-", dir.file("config.cfg")},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        EndlessZeros zeros;
        std::istream in(&zeros);
        const ToolRun run = tool(args, in);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, error("standard input holds more than 256 MiB"));
        EXPECT_EQ(run.out, "");
        // It stopped at the bound.
        EXPECT_LE(zeros.served(), kInputLimit + 2 * 64 * 1024);
    }
    EXPECT_EQ(readBytes(dir.file("config.cfg")), "[[SETTINGS]]\nold");
    EXPECT_EQ(backups(dir), std::vector<std::string>());
}

TEST(StandardInput, ReadUpToTheBoundExactly)
{
    const struct {
        const char* what;
        std::string bytes;
        std::size_t limit;
        BoundedRead read;
    } rows[] = {
        {"nothing", "", 0, BoundedRead::Read},
        {"a byte over nothing", "x", 0, BoundedRead::TooLong},
        {"the bound", std::string(10, 'x'), 10, BoundedRead::Read},
        {"a byte over", std::string(11, 'x'), 10, BoundedRead::TooLong},
        {"chunks to the bound", std::string(200000, 'x'), 200000, BoundedRead::Read},
        {"chunks over the bound", std::string(200001, 'x'), 200000, BoundedRead::TooLong},
        {"chunks under the bound", std::string(200000, 'x'), kInputLimit, BoundedRead::Read},
    };
    for (const auto& row : rows) {
        std::istringstream in(row.bytes);
        std::string bytes = "before";
        EXPECT_EQ(readBounded(in, bytes, row.limit), row.read) << row.what;
        if (row.read == BoundedRead::Read) {
            EXPECT_TRUE(bytes == row.bytes) << row.what;
        }
    }
    EndlessZeros zeros;
    std::istream endless(&zeros);
    std::string bytes;
    EXPECT_EQ(readBounded(endless, bytes, 1 << 20), BoundedRead::TooLong);
    EXPECT_LE(zeros.served(), (1u << 20) + 2 * 64 * 1024);
    EXPECT_EQ(inputLimitText(), "256 MiB");
    EXPECT_EQ(inputLimitText(1000), "1000 bytes");

    std::istringstream broken("text");
    broken.setstate(std::ios::badbit);
    EXPECT_EQ(readBounded(broken, bytes), BoundedRead::Failed);
}

TEST(Get, OneValueAsTheFileWritesItByPath)
{
    TempDir dir;
    writeBytes(dir.file("sample.cfg"), readBytes(goldenPath("sample.cfg")));
    const Lookup lookups[] = {
        {"Port", 0, "5104\n", ""},
        {"SuppressPrinting", 0, "YES\n", ""},
        {"Priority", 0, "HIGH\n", ""},
        {"Text", 0, "St. Elsewhere = radiology\n", ""},
        {"Printer", 0, "2\n", ""},
        {"Encoding", 0, "Windows-1252\n", ""},
        {"Layout.TrimWidth", 0, "2.50\n", ""},
        {"Layout.PageSize", 0, "A4\n", ""},
        {"Printers[COLOR].PrinterQueue", 0, "Color Share\n", ""},
        {"Printers[LASER3].UseGrayGraduation", 0, "YES\n", ""},
        {"Papers[14IN X 17IN Film].SizeY", 0, "1224\n", ""},
        {"Papers[a4].OffsetX", 0, "-5\n", ""},
        {"Papers[A4].Name", 0, "A4\n", ""},
        {"Headers[LOGO].IncludeFile", 0, "C:\\bitmaps\\logo.bmp\n", ""},
        {"Printers[LASER9].PrinterAddress", 1, "", "'Printers[LASER9].PrinterAddress': no printer 'LASER9'"},
        {"Papers[A5].SizeX", 1, "", "'Papers[A5].SizeX': no paper size 'A5'"},
        {"Headers[\xc3\xa9].IncludeFile", 1, "", "'Headers[\xc3\xa9].IncludeFile': no header bitmap '\xc3\xa9'"},
        {"port", 2, "", "'port': unknown field (did you mean 'Port'?)"},
        {"Layout", 2, "", "'Layout': names the layout; give one of its fields, as in Layout.PageSize"},
        {"Layout.Size", 2, "", "'Layout.Size': unknown field 'Size' of the layout"},
        {"Printers", 2, "",
         "'Printers': names a list; give a record by its key and a field, as in Printers[KEY].PrinterAddress"},
        {"Printers[COLOR]", 2, "",
         "'Printers[COLOR]': wants '.' and a field after the record, as in Printers[COLOR].PrinterAddress"},
        {"Printers[COLOR].Name", 2, "", "'Printers[COLOR].Name': unknown field 'Name'"},
        {"Papers[A4].sizex", 2, "", "'Papers[A4].sizex': unknown field 'sizex' (did you mean 'SizeX'?)"},
        {"Papers[A4", 2, "", "'Papers[A4': the key wants a closing ']', as in Printers[LASER1].PrinterAddress"},
        {"SurpressPrinting", 2, "", "'SurpressPrinting': unknown field"},
    };
    for (const Lookup& lookup : lookups) {
        const ToolRun run = tool({"get", dir.file("sample.cfg"), lookup.path});
        EXPECT_EQ(run.status, lookup.status) << lookup.path;
        EXPECT_EQ(run.out, lookup.out) << lookup.path;
        EXPECT_EQ(run.err, lookup.err.empty() ? "" : error(lookup.err)) << lookup.path;
    }
    // Texts in UTF-8 whatever the file's code page; keys too.
    EXPECT_EQ(tool({"get", "-", "Text"}, kHandWritten[3].text).out,
              "Z\xc3\xbcrich \xe2\x82\xac \xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d\n");
    EXPECT_EQ(tool({"get", "-", "Headers[Logo \xc3\xa9].IncludeFile"}, kHandWritten[2].text).out, "C:\\logo.bmp\n");
    EXPECT_EQ(tool({"get", dir.file("missing.cfg"), "Port"}).status, 2);
}

TEST(ConfigAsCode, HelpNamesTheCommands)
{
    const ToolRun run = tool({"--help"});
    for (const char* command : {"  export IN", "  import JSON OUT", "  get FILE PATH",
                                "  set [--dry-run] FILE PATH=VALUE...", "  remove [--dry-run] FILE RECORD..."})
        EXPECT_NE(run.out.find(command), std::string::npos) << command;
    for (const char* command : {"export", "import", "get", "set", "remove"}) {
        const ToolRun help = tool({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(std::string("Usage: quarvel-cfg ") + command + " ", 0), 0u) << help.out;
    }
    EXPECT_EQ(tool({"get", "--dry-run", "a", "Port"}).err,
              error("get: unknown option '--dry-run'; see 'quarvel-cfg get --help'"));
}
