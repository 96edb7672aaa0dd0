// The Ansible module quarvel_config, run in-process on the arguments
// Ansible would hand it (tests/cli/ansible_fleet_test.sh runs it under Ansible).
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

#include "TestSupport.h"
#include "cli/AnsibleModule.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigJson.h"
#include "config/Configuration.h"

namespace {

// A site's configuration that the server can work with.
std::string siteFile()
{
    Configuration c;
    PrinterRecord laser;
    laser.Description = "Ward laser";
    laser.PrinterAETitle = "LASER1";
    laser.PrinterAddress = "10.0.0.5";
    laser.PrinterQueue = "lp";
    c.Printers.add(laser);
    PaperRecord a4;
    a4.Name = "A4";
    a4.SizeX = 595;
    a4.SizeY = 842;
    c.Papers.add(a4);
    c.Layout.PageSize = "A4";
    return formatConfiguration(c);
}

class AnsibleModule : public ::testing::Test {
  protected:
    void SetUp() override { writeBytes(path(), siteFile()); }

    std::string path() const { return m_dir.file("config.cfg"); }

    // Runs the module on arguments given as JSON text; $PATH stands for the
    // configuration's path.
    Json run(std::string arguments) const
    {
        for (std::size_t at; (at = arguments.find("$PATH")) != std::string::npos;)
            arguments.replace(at, 5, path());
        Json json;
        std::string message;
        EXPECT_TRUE(parseJson(arguments, json, message)) << message;
        return runAnsibleModule(json);
    }

    std::string value(const std::string& fieldPath) const
    {
        Configuration c;
        std::string message, value;
        EXPECT_TRUE(c.loadFromFile(path(), message)) << message;
        return valueAtPath(c, fieldPath, value) == PathLookup::Found ? value : "(" + value + ")";
    }

    bool hasBackup() const { return fileExists(m_dir.file("config.bak")); }

    TempDir m_dir;
};

} // namespace

TEST_F(AnsibleModule, WrongOptionsAndValuesFailNamingThemAndWriteNothing)
{
    const std::pair<std::string, std::string> refused[] = {
        {R"({})", "missing required arguments: path"},
        {R"({"path": "config.cfg"})", "path: wants an absolute path (got 'config.cfg')"},
        {R"({"path": "$PATH", "sett": {}})",
         "Unsupported parameters for (quarvel_config) module: sett. Supported parameters include: allow_faults "
         "(force), backup, create, discard_recovery, lock_timeout, path, remove, replace_foreign, set, state."},
        {R"({"path": "$PATH", "create": "perhaps"})", "create: wants a boolean (got \"perhaps\")"},
        {R"({"path": "$PATH", "set": [1]})", "set: wants an object"},
        {R"({"path": "$PATH", "set": "{\"Port\": "})",
         "set: wants an object (its text is no JSON: parse error at line 1, column 10: syntax error while parsing "
         "value - unexpected end of input; expected '[', '{', or a literal)"},
        {R"({"path": "$PATH", "set": {"Port": "x"}})", "set: Port: wants an integer from 0 to 65535 (got 'x')"},
        {R"({"path": "$PATH", "set": {"Port": 65536}})", "set: Port: wants an integer from 0 to 65535 (got 65536)"},
        {R"({"path": "$PATH", "set": {"Prot": 1}})", "set: unknown field 'Prot'"},
        {R"({"path": "$PATH", "set": {"Layout": {"Orientation": "SIDEWAYS"}}})",
         "set: Layout.Orientation: wants one of PORTRAIT or LANDSCAPE (got 'SIDEWAYS')"},
        {R"({"path": "$PATH", "set": {"Printers": [{"PrinterAddress": "10.0.0.7"}]}})",
         "set: Printers entry 1: wants its PrinterAETitle, to find the record"},
        {R"({"path": "$PATH", "set": {"Printers": [{"PrinterAETitle": "A"}, {"PrinterAETitle": "A"}]}})",
         "set: Printers[A]: is given twice"},
        {R"({"path": "$PATH", "set": {"Papers": [{"Name": "A4", "SizeX": "wide"}]}})",
         "set: Papers[A4].SizeX: wants an integer from 0 to 2147483647 (got 'wide')"},
        {R"({"path": "$PATH", "remove": {"Printer": ["LASER1"]}})",
         "remove: unknown list 'Printer' (Printers, Papers or Headers)"},
        {R"({"path": "$PATH", "remove": {"Printers": "LASER1"}})",
         "remove.Printers: wants a list of keys (got \"LASER1\")"},
        {R"({"path": "$PATH", "remove": {"Printers": ["LASER1"]}, "set": {"Printers": [{"PrinterAETitle": "LASER1"}]}})",
         "set: Printers[LASER1]: is both set and removed"},
        {R"({"path": "$PATH", "set": {"Printers": [{"PrinterAETitle": 7}]}, "_ansible_string_conversion_action": "error"})",
         "set: Printers entry 1.PrinterAETitle: the number 7 was taken as the text '7'"},
    };
    for (const auto& [arguments, message] : refused) {
        const Json result = run(arguments);
        EXPECT_EQ(result["failed"], true) << arguments;
        EXPECT_EQ(result["changed"], false) << arguments;
        EXPECT_EQ(result["msg"], message) << arguments;
    }
    EXPECT_TRUE(readBytes(path()) == siteFile());
    EXPECT_FALSE(hasBackup());
}

TEST_F(AnsibleModule, ListEntriesMatchedByKeyOrAppendedAndASecondRunChangesNothing)
{
    const std::string arguments = R"({"path": "$PATH", "set": {
        "Port": 11112,
        "Printers": [{"PrinterAETitle": "LASER1", "PrinterAddress": "10.0.0.9"},
                     {"PrinterAETitle": "CT", "PrinterQueue": "ct", "UseGrayGraduation": true,
                      "GrayGraduationFile": "gray.txt"}],
        "Papers": [{"Name": "A3", "SizeX": 842, "SizeY": 1191}],
        "Layout": {"PageSize": "A3", "ImageDistance": 10}}, "backup": true})";
    Json result = run(arguments);
    EXPECT_EQ(result.value("failed", false), false) << result.dump();
    EXPECT_EQ(result["changed"], true);
    EXPECT_EQ(result["backup_file"], m_dir.file("config.bak"));
    EXPECT_EQ(result["msg"], "saved " + path() + "; the old file is kept as " + m_dir.file("config.bak"));
    EXPECT_EQ(result["faults"], Json::array());
    EXPECT_TRUE(readBytes(m_dir.file("config.bak")) == siteFile());
    const std::pair<std::string, std::string> values[] = {
        {"Port", "11112"},
        {"Printer", "2"},
        {"Printers[LASER1].PrinterAddress", "10.0.0.9"},
        {"Printers[LASER1].PrinterQueue", "lp"}, // kept
        {"Printers[CT].PrinterQueue", "ct"},
        {"Printers[CT].Description", ""}, // a new record's default
        {"Printers[CT].UseGrayGraduation", "YES"},
        {"Papers[A4].SizeX", "595"},
        {"Papers[A3].SizeY", "1191"},
        {"Layout.PageSize", "A3"},
        {"Layout.ImageDistance", "10.00"},
    };
    for (const auto& [fieldPath, expected] : values)
        EXPECT_EQ(value(fieldPath), expected) << fieldPath;
    // The new printer has no address: the check's warning, with its line.
    ASSERT_EQ(result["warnings"].size(), 1u) << result.dump();
    EXPECT_EQ(result["warnings"][0].get<std::string>().rfind(path() + ":", 0), 0u);
    EXPECT_NE(result["warnings"][0].get<std::string>().find(
                  ": warning: printer 2 ('CT') has no address: the server cannot reach it [incomplete-printer]"),
              std::string::npos);

    const std::string written = readBytes(path());
    result = run(arguments);
    EXPECT_EQ(result["changed"], false);
    EXPECT_EQ(result["msg"], "unchanged");
    EXPECT_FALSE(result.contains("backup_file"));
    EXPECT_TRUE(readBytes(path()) == written);
    EXPECT_FALSE(fileExists(m_dir.file("config.bk2")));

    // Removing: every record of the key; a key that names none is no change.
    result = run(R"({"path": "$PATH", "remove": {"Printers": ["CT"], "Papers": ["B5"]}})");
    EXPECT_EQ(result["changed"], true);
    EXPECT_EQ(value("Printer"), "1");
    result = run(R"({"path": "$PATH", "remove": {"Printers": ["CT"], "Papers": ["B5"]}})");
    EXPECT_EQ(result["changed"], false);
}

TEST_F(AnsibleModule, StateAbsentRemovesTheRecordsSetNamesByTheirKeys)
{
    ASSERT_EQ(run(R"({"path": "$PATH", "set": {"Printers": [{"PrinterAETitle": "OLD"}, {"PrinterAETitle": "CT"}],
                     "Papers": [{"Name": "B5", "SizeX": 499, "SizeY": 709}]}})")["changed"],
              true);
    const struct {
        const char* arguments;
        bool changed;
        const char* message; // of a failure
        const char* printers;
        const char* papers;
    } rows[] = {
        {R"({"path": "$PATH", "state": "absent", "set": {"Printers": [{"PrinterAETitle": "OLD"}]}})", true, "",
         "LASER1 CT", "A4 B5"},
        {R"({"path": "$PATH", "state": "absent", "set": {"Printers": [{"PrinterAETitle": "OLD"}]}})", false, "",
         "LASER1 CT", "A4 B5"},
        {R"({"path": "$PATH", "state": "absent", "set": {"Papers": [{"Name": "B5"}]}, "remove": {"Printers": ["CT"]}})",
         true, "", "LASER1", "A4"},
        {R"({"path": "$PATH", "state": "present", "set": {"Printers": [{"PrinterAETitle": "CT"}]}})", true, "",
         "LASER1 CT", "A4"},
        {R"({"path": "$PATH", "state": "gone"})", false, "value of state must be one of: present, absent, got: gone",
         "LASER1 CT", "A4"},
        {R"({"path": "$PATH", "state": "absent", "set": {"Port": 104}})", false,
         "set: Port: with state absent, set names records to remove (Printers, Papers or Headers)", "LASER1 CT", "A4"},
        {R"({"path": "$PATH", "state": "absent", "set": {"Printers": [{"PrinterAETitle": "CT", "PrinterQueue": "x"}]}})",
         false, "set: Printers entry 1: with state absent, names the record by its PrinterAETitle alone", "LASER1 CT",
         "A4"},
        {R"({"path": "$PATH", "state": "absent", "set": {"Papers": [{"SizeX": 1}]}})", false,
         "set: Papers entry 1: wants its Name, to find the record", "LASER1 CT", "A4"},
        {R"({"path": "$PATH", "state": "absent", "set": {"Headers": [{"Name": []}]}})", false,
         "set: Headers entry 1.Name: wants a text (got [])", "LASER1 CT", "A4"},
    };
    const auto keys = [this](const std::string& list, const std::string& keyField) {
        std::string names;
        Configuration c;
        std::string message;
        EXPECT_TRUE(c.loadFromFile(path(), message)) << message;
        const Json json = configurationToJson(c);
        for (const Json& record : json[list])
            names += (names.empty() ? "" : " ") + record[keyField].get<std::string>();
        return names;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Json result = run(row.arguments);
        EXPECT_EQ(result["changed"], row.changed) << result.dump();
        EXPECT_EQ(result.value("failed", false), *row.message != '\0');
        if (*row.message) {
            EXPECT_EQ(result["msg"], row.message);
        }
        EXPECT_EQ(keys("Printers", "PrinterAETitle"), row.printers);
        EXPECT_EQ(keys("Papers", "Name"), row.papers);
    }
}

TEST_F(AnsibleModule, CheckModeAndDiffModeWriteNothingAndShowBeforeAndAfter)
{
    Json result = run(R"({"path": "$PATH", "set": {"Port": 11112, "Text": "Z\u00fcrich"},
                          "_ansible_check_mode": true, "_ansible_diff": true})");
    EXPECT_EQ(result["changed"], true) << result.dump();
    EXPECT_EQ(result["msg"], "would save " + path());
    EXPECT_EQ(result["diff"]["before"], siteFile());
    EXPECT_EQ(result["diff"]["before_header"], path());
    std::string after = siteFile();
    after.replace(after.find("Port = 104"), 10, "Port = 11112");
    after.replace(after.find("Text = <your institution>"), 25, "Text = Z\xc3\xbcrich"); // decoded for Ansible
    EXPECT_EQ(result["diff"]["after"], after);
    EXPECT_TRUE(readBytes(path()) == siteFile());
    EXPECT_FALSE(hasBackup());

    // Without diff mode no diff; a file not there yet is created from nothing.
    result = run(R"({"path": "$PATH", "set": {"Port": 11112}, "_ansible_check_mode": true})");
    EXPECT_FALSE(result.contains("diff"));
    std::remove(path().c_str());
    result = run(R"({"path": "$PATH", "set": {"Printers": [{"PrinterAETitle": "A"}], "Papers": [{"Name": "A4",
                    "SizeX": 1, "SizeY": 1}], "Layout": {"PageSize": "A4"}}, "_ansible_check_mode": "yes",
                    "_ansible_diff": true})");
    EXPECT_EQ(result["msg"], "would create " + path()) << result.dump();
    EXPECT_EQ(result["diff"]["before"], "");
    EXPECT_FALSE(fileExists(path()));
}

TEST_F(AnsibleModule, FaultsTheServerStopsOnFailWithTheCheckTextsUnlessForced)
{
    Json result =
        run(R"({"path": "$PATH", "set": {"Layout": {"PageSize": "A5"}}, "remove": {"Printers": ["LASER1"]}})");
    EXPECT_EQ(result["failed"], true);
    EXPECT_EQ(result["faults"], Json({"No printer configured.", "No valid paper size defined for [STANDARD] layout."}));
    EXPECT_EQ(result["msg"], "The configuration would keep the print server from working: No printer configured. "
                             "No valid paper size defined for [STANDARD] layout. Nothing was written (allow_faults: "
                             "true writes it all the same).");
    EXPECT_TRUE(readBytes(path()) == siteFile());

    result = run(R"({"path": "$PATH", "set": {"Layout": {"PageSize": "A5"}}, "force": "true"})");
    EXPECT_EQ(result.value("failed", false), false);
    EXPECT_EQ(result["changed"], true);
    EXPECT_EQ(result["faults"], Json({"No valid paper size defined for [STANDARD] layout."}));
    EXPECT_EQ(value("Layout.PageSize"), "A5");

    // A fresh file has faults of its own: create alone does not write it.
    std::remove(path().c_str());
    result = run(R"({"path": "$PATH"})");
    EXPECT_EQ(result["failed"], true);
    EXPECT_EQ(result["faults"].size(), 3u);
    EXPECT_FALSE(fileExists(path()));
}

TEST_F(AnsibleModule, AFileNotThereOrUnreadableFailsWithTheProgramsMessage)
{
    std::remove(path().c_str());
    Json result = run(R"({"path": "$PATH", "create": false, "set": {"Port": 1}})");
    EXPECT_EQ(result["failed"], true);
    EXPECT_EQ(result["msg"], "File could not be opened: " + path() + " was not found.");

    result = run(R"({"path": "$PATH", "set": {"Printers": [{"PrinterAETitle": "A"}], "Papers": [{"Name": "A4",
                    "SizeX": 1, "SizeY": 1}], "Layout": {"PageSize": "A4"}}})");
    EXPECT_EQ(result["changed"], true) << result.dump();
    EXPECT_EQ(result["msg"], "saved " + path());
    EXPECT_FALSE(result.contains("backup_file"));
    EXPECT_EQ(value("Printers[A].PrinterQueue"), "");

    const std::string folder = m_dir.file("folder");
    ASSERT_EQ(runCommandStatus("mkdir '" + folder + "'"), 0);
    result = run(R"({"path": ")" + folder + R"("})");
    EXPECT_EQ(result["failed"], true);
    EXPECT_EQ(result["msg"], "File could not be opened: Access to " + folder + " was denied.");

    // A folder that is not there: the writer's message.
    result = run(R"({"path": ")" + m_dir.file("no/such.cfg") + R"(", "set": {"Printers": [{"PrinterAETitle": "A"}],
                    "Papers": [{"Name": "A4", "SizeX": 1, "SizeY": 1}], "Layout": {"PageSize": "A4"}}})");
    EXPECT_EQ(result["failed"], true);
    EXPECT_EQ(result["changed"], false);
    EXPECT_NE(result["msg"].get<std::string>().find("was not found."), std::string::npos) << result.dump();
}

TEST_F(AnsibleModule, ValuesAsAnsiblesTemplatesHandThemOver)
{
    // "{{ port }}" arrives as a number or a string, yes/no as a word or 0/1,
    // and a text of digits as a number.
    Json result = run(R"({"path": "$PATH", "set": {"Port": "11112", "SuppressPrinting": "yes", "CheckAETitles": 1,
                          "Layout": {"TrimWidth": "2.5"},
                          "Printers": [{"PrinterAETitle": 123, "PrinterQueue": 7, "PrinterAddress": "h"}]}})");
    EXPECT_EQ(result.value("failed", false), false) << result.dump();
    EXPECT_EQ(value("Port"), "11112");
    EXPECT_EQ(value("SuppressPrinting"), "YES");
    EXPECT_EQ(value("CheckAETitles"), "YES");
    EXPECT_EQ(value("Layout.TrimWidth"), "2.50");
    EXPECT_EQ(value("Printers[123].PrinterQueue"), "7");
    EXPECT_EQ(result["warnings"], Json({"Printers entry 1.PrinterAETitle: the number 123 was taken as the text '123'",
                                        "Printers[123].PrinterQueue: the number 7 was taken as the text '7'"}));
    result = run(R"({"path": "$PATH", "set": {"Printers": [{"PrinterAETitle": 123, "PrinterQueue": 7}]},
                     "_ansible_string_conversion_action": "ignore"})");
    EXPECT_EQ(result["changed"], false);
    EXPECT_EQ(result["warnings"], Json::array());
    // A set given as text, as `ansible -a 'set={...}'` hands it over.
    result = run(R"({"path": "$PATH", "set": "{\"Port\": 104}"})");
    EXPECT_EQ(result["changed"], true) << result.dump();
    EXPECT_EQ(value("Port"), "104");
}

TEST_F(AnsibleModule, WarningsAreTheChecksOwnTexts)
{
    writeBytes(path(), "; ward 3\r\n" + siteFile());
    // Left as it is: the check of the file, its comment among it.
    Json result = run(R"({"path": "$PATH", "set": {"Port": 104}})");
    EXPECT_EQ(result["changed"], false);
    EXPECT_EQ(result["warnings"],
              Json({path() + ":1: warning: a comment: a save keeps only its own banner [comment]"}));
    // Rewritten: the save drops the comment, and says so.
    result = run(R"({"path": "$PATH", "set": {"Port": 105}})");
    EXPECT_EQ(result["changed"], true);
    EXPECT_EQ(result["warnings"],
              Json({path() + ":1: warning: a comment: a save keeps only its own banner [comment]"}));
    result = run(R"({"path": "$PATH", "set": {"Port": 105}})");
    EXPECT_EQ(result["warnings"], Json::array());
}

TEST_F(AnsibleModule, TheProgramReadsItsArgumentsFileAndPrintsOneJsonObject)
{
    const auto main = [](std::vector<const char*> argv, Json& printed) {
        std::ostringstream out;
        const int status = configModuleMain(static_cast<int>(argv.size()), argv.data(), out);
        const std::string text = out.str();
        std::string message;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_TRUE(parseJson(text, printed, message)) << text;
        return status;
    };
    Json printed;
    EXPECT_EQ(main({"quarvel_config"}, printed), 1);
    EXPECT_EQ(printed["failed"], true);

    writeBytes(m_dir.file("args"),
               R"({"path": ")" + path() + R"(", "set": {"Port": 11112}, "_ansible_check_mode": false,
        "_ansible_no_log": false, "_ansible_debug": false, "_ansible_verbosity": 0, "_ansible_version": "2.14.18",
        "_ansible_module_name": "quarvel_config", "_ansible_tmpdir": "/tmp/x"})");
    const std::string args = m_dir.file("args");
    EXPECT_EQ(main({"quarvel_config", args.c_str()}, printed), 0);
    EXPECT_EQ(printed["changed"], true) << printed.dump();
    EXPECT_EQ(value("Port"), "11112");

    writeBytes(args, "path=/x");
    EXPECT_EQ(main({"quarvel_config", args.c_str()}, printed), 1);
    EXPECT_EQ(printed["msg"].get<std::string>().rfind("the arguments file holds no JSON: parse error at line 1", 0),
              0u);
    const std::string missing = m_dir.file("none");
    EXPECT_EQ(main({"quarvel_config", missing.c_str()}, printed), 1);
    EXPECT_EQ(printed["msg"], "cannot read the arguments file " + missing);
}

TEST_F(AnsibleModule, HostileArgumentsFailAsOneJsonObjectAndWriteNothing)
{
    // The arguments as Ansible hands them: a file; the path comes last, so
    // that the places named do not depend on the test's folder.
    const auto main = [this](const std::string& arguments, Json& printed) {
        writeBytes(m_dir.file("args"), arguments);
        const std::string args = m_dir.file("args");
        const char* argv[] = {"quarvel_config", args.c_str()};
        std::ostringstream out;
        const int status = configModuleMain(2, argv, out);
        std::string message;
        EXPECT_TRUE(parseJson(out.str(), printed, message)) << message;
        return status;
    };
    const auto nested = [](const std::string& before, std::size_t levels, const std::string& after) {
        return before + std::string(levels, '[') + std::string(levels, ']') + after;
    };
    const std::string pathLast = ",\"path\":\"" + path() + "\"}";
    const std::string noJson = "the arguments file holds no JSON: parse error at line 1, column ";
    const std::string tooDeep = ": arrays and objects nest deeper than 64 levels";
    const struct {
        const char* what;
        std::string arguments;
        std::string message;
    } rows[] = {
        {"100,000 levels as the whole document", nested("", 100000, ""), noJson + "65" + tooDeep},
        {"100,000 levels as the value of Port", nested(R"({"set":{"Port":)", 100000, "}" + pathLast),
         noJson + "78" + tooDeep},
        {"100,000 levels as the value of Text", nested(R"({"set":{"Text":)", 100000, "}" + pathLast),
         noJson + "78" + tooDeep},
        {"100,000 levels as the value of Printers", nested(R"({"set":{"Printers":)", 100000, "}" + pathLast),
         noJson + "82" + tooDeep},
        {"100,000 levels in set as a text", "{\"set\":\"" + std::string(100000, '[') + "\"" + pathLast,
         "set: wants an object (its text is no JSON: parse error at line 1, column 65" + tooDeep + ")"},
        {"62 levels under Port: JSON, but no integer", nested(R"({"set":{"Port":)", 62, "}" + pathLast),
         "set: Port: wants an integer from 0 to 65535 (got " + std::string(57, '[') + "...)"},
        {"1e400", R"({"set":{"Port":1e400})" + pathLast, noJson + "20: number out of range: 1e400"},
        {"1e309", R"({"set":{"Port":1e309})" + pathLast, noJson + "20: number out of range: 1e309"},
        {"-1e999", R"({"set":{"Port":-1e999})" + pathLast, noJson + "21: number out of range: -1e999"},
        {"10 MB of digits", "{\"set\":{\"Port\":" + std::string(10'000'000, '9') + "}" + pathLast,
         noJson + "10000015: number out of range: " + std::string(57, '9') + "..."},
        {"an unused _ansible_x of 1e999", R"({"_ansible_x":1e999)" + pathLast,
         noJson + "19: number out of range: 1e999"},
        {"1e400 in set as a text", R"({"set":"{\"Port\":1e400}")" + pathLast,
         "set: wants an object (its text is no JSON: parse error at line 1, column 13: number out of range: "
         "1e400)"},
        {"path twice", R"({"path":"/a","path":")" + path() + "\"}",
         noJson + "19: the key \"path\" is given twice in one object"},
        {"a key twice in set", R"({"set":{"Port":1,"Port":2})" + pathLast,
         noJson + "23: the key \"Port\" is given twice in one object"},
        {"a key twice in set as a text", R"({"set":"{\"Port\":1,\"Port\":2}")" + pathLast,
         "set: wants an object (its text is no JSON: parse error at line 1, column 16: the key \"Port\" is given "
         "twice in one object)"},
        {"a long state", "{\"state\":[\"" + std::string(100000, 's') + "\"]" + pathLast,
         "value of state must be one of: present, absent, got: [\"" + std::string(55, 's') + "..."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Json printed;
        EXPECT_EQ(main(row.arguments, printed), 1);
        EXPECT_EQ(printed["failed"], true);
        EXPECT_EQ(printed.value("changed", false), false);
        EXPECT_EQ(printed["msg"], row.message);
    }

    // Arguments made in memory, which no parser bounded.
    Json deep = 104;
    for (int i = 0; i < 100000; ++i) {
        Json outer = Json::array();
        outer.push_back(std::move(deep));
        deep = std::move(outer);
    }
    Json arguments = {{"path", path()}, {"set", Json::object()}};
    arguments["set"]["Port"] = std::move(deep);
    const Json result = runAnsibleModule(arguments);
    EXPECT_EQ(result["failed"], true);
    EXPECT_EQ(result["msg"], "the arguments nest deeper than 64 levels");

    EXPECT_TRUE(readBytes(path()) == siteFile());
    EXPECT_FALSE(hasBackup());
}

TEST_F(AnsibleModule, AnArgumentsFileThatNeverEndsFailsAt256MiB)
{
    std::ostringstream out;
    const char* argv[] = {"quarvel_config", "/dev/zero"};
    EXPECT_EQ(configModuleMain(2, argv, out), 1);
    Json printed;
    std::string message;
    ASSERT_TRUE(parseJson(out.str(), printed, message)) << message;
    EXPECT_EQ(printed["failed"], true);
    EXPECT_EQ(printed["msg"], "the arguments file /dev/zero holds more than 256 MiB");
}
