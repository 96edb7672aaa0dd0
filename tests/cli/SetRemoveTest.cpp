// quarvel-cfg set and remove: values and records of a file changed by path,
// all or nothing.
#include <gtest/gtest.h>

#include "ToolRun.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"

namespace {

// A fresh configuration with two printers, a paper and a header bitmap.
std::string siteFile()
{
    Configuration c;
    PrinterRecord laser;
    laser.Description = "Ward laser";
    laser.PrinterAETitle = "LASER1";
    laser.PrinterAddress = "10.0.0.5";
    laser.PrinterQueue = "lp";
    c.Printers.add(laser);
    laser.PrinterAETitle = "FILM1";
    c.Printers.add(laser);
    PaperRecord a4;
    a4.Name = "A4";
    a4.SizeX = 595;
    a4.SizeY = 842;
    c.Papers.add(a4);
    c.Headers.add(HeaderRecord{"LOGO", "C:\\logo.bmp"});
    c.Layout.PageSize = "A4";
    return formatConfiguration(c);
}

} // namespace

TEST(Set, ChangesValuesAllOrNothingAndAppendsRecordsNamedByANewKey)
{
    struct Change {
        std::vector<std::string> assignments;
        std::vector<std::pair<std::string, std::string>> after; // path, value
    };
    const Change changes[] = {
        {{"Port=11112", "ServerAETitle=RAD7"}, {{"Port", "11112"}, {"ServerAETitle", "RAD7"}}},
        {{"Printers[LASER1].PrinterAddress=10.0.0.9"}, {{"Printers[LASER1].PrinterAddress", "10.0.0.9"}}},
        // Values as the editor reads them: words in any case, yes/no as 1/0/true.
        {{"Priority=low", "SuppressPrinting=true", "Layout.Trim=1", "Layout.Orientation=Landscape"},
         {{"Priority", "LOW"},
          {"SuppressPrinting", "YES"},
          {"Layout.Trim", "YES"},
          {"Layout.Orientation", "LANDSCAPE"}}},
        {{"Layout.ImageDistance=12.5", "Layout.BorderDensity=black", "Layout.EmptyImageDensity=120"},
         {{"Layout.ImageDistance", "12.50"}, {"Layout.BorderDensity", "BLACK"}, {"Layout.EmptyImageDensity", "120"}}},
        // A new key appends a record with the defaults; a key may hold '='.
        {{"Printers[CT=2].PrinterQueue=ct", "Papers[A3].SizeX=842", "Headers[WARD].IncludeFile=w.bmp"},
         {{"Printer", "3"},
          {"Printers[CT=2].PrinterQueue", "ct"},
          {"Printers[CT=2].PrinterAddress", ""},
          {"Papers[A3].SizeX", "842"},
          {"Papers[A3].SizeY", "0"},
          {"Headers[WARD].IncludeFile", "w.bmp"}}},
        // Renames, the empty text, and a text the code page has.
        {{"Papers[A4].Name=A4 plain", "Layout.PageSize=A4 plain", "Printers[FILM1].PrinterAETitle=FILM2",
          "Printers[LASER1].Description=", "Text=Z\xc3\xbcrich"},
         {{"Papers[A4 plain].SizeX", "595"},
          {"Printers[FILM2].PrinterQueue", "lp"},
          {"Printers[LASER1].Description", ""},
          {"Text", "Z\xc3\xbcrich"}}},
        // The code page changes first, whatever the order of the words.
        {{"Text=\xe6\x97\xa5\xe6\x9c\xac", "Encoding=UTF-8"},
         {{"Text", "\xe6\x97\xa5\xe6\x9c\xac"}, {"Encoding", "UTF-8"}}},
    };
    TempDir dir;
    for (const Change& change : changes) {
        writeBytes(dir.file("config.cfg"), siteFile());
        std::vector<std::string> args{"set", dir.file("config.cfg")};
        args.insert(args.end(), change.assignments.begin(), change.assignments.end());
        const ToolRun run = tool(args);
        ASSERT_EQ(run.status, 0) << change.assignments[0] << run.err;
        EXPECT_NE(run.out.find("Old configuration:\t" + dir.file("config.bak")), std::string::npos) << run.out;
        for (const auto& [path, value] : change.after)
            EXPECT_EQ(tool({"get", dir.file("config.cfg"), path}).out, value + "\n") << path;
        std::remove(dir.file("config.bak").c_str());
    }
    // The code page's bytes: the editor's encoding of the file.
    writeBytes(dir.file("config.cfg"), siteFile());
    ASSERT_EQ(tool({"set", dir.file("config.cfg"), "Text=Z\xc3\xbcrich \xe2\x82\xac"}).status, 0);
    EXPECT_NE(readBytes(dir.file("config.cfg")).find("\r\nText = Z\xfcrich \x80\r\n"), std::string::npos);
    ASSERT_EQ(tool({"set", dir.file("config.cfg"), "Encoding=UTF-8"}).status, 0);
    EXPECT_NE(readBytes(dir.file("config.cfg")).find("\r\nText = Z\xc3\xbcrich \xe2\x82\xac\r\n"), std::string::npos);
}

TEST(Set, RefusedValuesAndBadPathsNameThePathAndLeaveTheFileUntouched)
{
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"Port=70000"}, "Port: wants an integer from 0 to 65535 (got '70000')"},
        {{"Port=104x"}, "Port: wants an integer from 0 to 65535 (got '104x')"},
        {{"Copies=0"}, "Copies: wants an integer from 1 to 1000 (got '0')"},
        {{"LabelSize=big"}, "LabelSize: wants an integer from -2147483648 to 2147483647 (got 'big')"},
        {{"Layout.TrimWidth=5,5"}, "Layout.TrimWidth: wants a number from -10000 to 10000 (got '5,5')"},
        {{"Layout.TrimWidth=inf"}, "Layout.TrimWidth: wants a number from -10000 to 10000 (got 'inf')"},
        // Out of range, as the editor's fields refuse them.
        {{"Layout.ImageDistance=1e308"}, "Layout.ImageDistance: wants a number from -10000 to 10000 (got '1e308')"},
        {{"Papers[A4].SizeX=-5"}, "Papers[A4].SizeX: wants an integer from 0 to 2147483647 (got '-5')"},
        // Control characters, shown escaped.
        {{"Text=\x1b[31mred"},
         "Text: wants a text without control characters (line breaks, tabs, escape ...) or blanks at either end "
         "(got '\\x1b[31mred')"},
        {{"Printers[LASER1].Description=ring\a"},
         "Printers[LASER1].Description: wants a text without control characters (line breaks, tabs, escape ...) or "
         "blanks at either end (got 'ring\\x07')"},
        {{"SuppressPrinting=maybe"}, "SuppressPrinting: wants YES or NO (got 'maybe')"},
        {{"MediumType=CARDBOARD"}, "MediumType: wants one of PAPER or FILM (got 'CARDBOARD')"},
        {{"Layout.BorderDensity=grey"}, "Layout.BorderDensity: wants BLACK, WHITE or an integer (got 'grey')"},
        {{"Text=\xe6\x97\xa5"},
         "Text: the file's code page Windows-1252 cannot hold '\xe6\x97\xa5' (set Encoding to UTF-8 "
         "to store it)"},
        {{"Text=\xff"}, "Text: wants a text in UTF-8"},
        {{"Text=a\tb"},
         "Text: wants a text without control characters (line breaks, tabs, escape ...) or blanks at either end "
         "(got 'a\\x09b')"},
        {{"Printers[LASER1].Description=x "},
         "Printers[LASER1].Description: wants a text without control characters (line breaks, tabs, escape ...) or "
         "blanks at either end (got 'x ')"},
        {{"Papers[].SizeX=1"},
         "Papers[].SizeX: wants a name that is not empty, does not start with '[' and holds no ']' or control "
         "character (got '')"},
        {{"Papers[A3].SizeX=1", "Papers[A3].Name=A4"}, "Papers[A3].Name: 'A4' names another paper size already"},
        {{"Printer=5"}, "Printer: a save writes 2 here, whatever is given; give that or leave the field out"},
        {{"Encoding=ASCII"}, "Encoding: wants UTF-8 or Windows-1252 (got 'ASCII')"},
        // A value is a text, never JSON, and a long one is quoted in part.
        {{"Port=" + std::string(100000, '[')},
         "Port: wants an integer from 0 to 65535 (got '" + std::string(60, '[') + "'...)"},
        {{"Layout.TrimWidth=1e400"}, "Layout.TrimWidth: wants a number from -10000 to 10000 (got '1e400')"},
        {{"Text=" + std::string(100000, 'a') + "\t"},
         "Text: wants a text without control characters (line breaks, tabs, escape ...) or blanks at either end "
         "(got '" +
             std::string(60, 'a') + "'...)"},
        // All or nothing: a good value before a bad one is not written either.
        {{"Port=11112", "Trim=1"}, "'Trim': unknown field"},
        {{"Port"}, "'Port': wants PATH=VALUE, as in Port=104"},
        {{"Printers[LASER1]=x"},
         "'Printers[LASER1]': wants '.' and a field after the record, as in "
         "Printers[LASER1].PrinterAddress"},
    };
    TempDir dir;
    const std::string file = siteFile();
    writeBytes(dir.file("config.cfg"), file);
    for (const auto& [assignments, message] : refused) {
        std::vector<std::string> args{"set", dir.file("config.cfg")};
        args.insert(args.end(), assignments.begin(), assignments.end());
        const ToolRun run = tool(args);
        EXPECT_EQ(run.status, 2) << assignments[0];
        EXPECT_EQ(run.err, error(message)) << assignments[0];
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(readBytes(dir.file("config.cfg")) == file);
    EXPECT_EQ(backups(dir), std::vector<std::string>());
    // Usage: at least one assignment.
    EXPECT_EQ(tool({"set", dir.file("config.cfg")}).err,
              error("set: missing FILE PATH=VALUE...; see 'quarvel-cfg set --help'"));
    EXPECT_EQ(tool({"set", dir.file("missing.cfg"), "Port=1"}).err,
              error("File could not be opened: " + dir.file("missing.cfg") + " was not found."));
}

TEST(Set, NothingChangedWritesNothingAndDryRunPrintsTheDiffInstead)
{
    TempDir dir;
    // A hand-edited file: values equal to what is set are no change, and
    // its comment stays as long as no value changes.
    const std::string file = "; ward 3\r\n" + siteFile();
    writeBytes(dir.file("config.cfg"), file);
    for (const std::vector<std::string>& same :
         std::vector<std::vector<std::string>>{{"Port=104"},
                                               {"Port=0104", "Priority=med", "Printers[LASER1].PrinterQueue=lp"},
                                               {"Encoding=Windows-1252"},
                                               {"Port=105", "Port=104"},
                                               {"Papers[A4].Name=A4", "Layout.PageSize=A4"},
                                               {"Printers[LASER1].PrinterQueue=x", "Printers[LASER1].PrinterQueue=lp"},
                                               {"Papers[A4].Name=A5", "Papers[A5].Name=A4"}}) {
        std::vector<std::string> args{"set", dir.file("config.cfg")};
        args.insert(args.end(), same.begin(), same.end());
        const ToolRun run = tool(args);
        EXPECT_EQ(run.status, 0) << same[0];
        EXPECT_EQ(run.out, "unchanged\n") << same[0];
    }
    EXPECT_EQ(tool({"remove", dir.file("config.cfg"), "Printers[LASER9]", "Papers[B5]"}).out, "unchanged\n");
    EXPECT_EQ(tool({"set", "--dry-run", dir.file("config.cfg"), "Port=104"}).out, "unchanged\n");
    EXPECT_TRUE(readBytes(dir.file("config.cfg")) == file);
    EXPECT_EQ(backups(dir), std::vector<std::string>());

    // The diff runs from the file as it is to what a save writes.
    const std::string name = dir.file("config.cfg");
    ToolRun run = tool({"set", dir.file("config.cfg"), "--dry-run", "Port=11112"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("--- " + name + "\n+++ " + name + "\n@@ -1,4 +1,3 @@\n-; ward 3\r\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\n-Port = 104\r\n+Port = 11112\r\n"), std::string::npos) << run.out;
    run = tool({"remove", "--dry-run", dir.file("config.cfg"), "Headers[LOGO]"});
    EXPECT_NE(run.out.find("\n-[LOGO]\r\n-IncludeFile = C:\\logo.bmp\r\n"), std::string::npos) << run.out;
    EXPECT_TRUE(readBytes(dir.file("config.cfg")) == file);
    EXPECT_EQ(backups(dir), std::vector<std::string>());

    // A change saves as the editor saves, keeping the old file.
    run = tool({"set", dir.file("config.cfg"), "Port=11112"});
    EXPECT_EQ(run.out, "An old configuration file was found and renamed.\nNew configuration:\t" + name +
                           "\nOld configuration:\t" + dir.file("config.bak") + "\n\n");
    EXPECT_TRUE(readBytes(dir.file("config.bak")) == file);
}

TEST(Set, StandardInputToStandardOutputAsAFilter)
{
    const std::string file = siteFile();
    ToolRun run = tool({"set", "-", "Port=11112"}, file);
    EXPECT_EQ(run.status, 0);
    std::string expected = file;
    expected.replace(expected.find("Port = 104"), 10, "Port = 11112");
    EXPECT_TRUE(run.out == expected);
    run = tool({"set", "-", "Port=104"}, file);
    EXPECT_TRUE(run.out == file);
    run = tool({"remove", "--dry-run", "-", "Printers[FILM1]"}, file);
    EXPECT_EQ(run.out.rfind("--- <stdin>\n+++ <stdin>\n", 0), 0u);
}

TEST(Remove, EveryRecordOfTheKeyAllOrNothing)
{
    TempDir dir;
    // Two printers share an AE title: both go.
    std::string file = siteFile();
    file.replace(file.find("PrinterAETitle = FILM1"), 22, "PrinterAETitle = LASER1");
    writeBytes(dir.file("config.cfg"), file);
    // Without a printer the server stops: written when asked all the same.
    ToolRun run = tool({"remove", dir.file("config.cfg"), "Printers[LASER1]", "Headers[LOGO]", "Papers[A9]"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "quarvel-cfg: the configuration would keep the print server from working:\n"
                       "  No printer configured.\n"
                       "quarvel-cfg: nothing was written (--allow-faults writes it all the same)\n");
    EXPECT_EQ(readBytes(dir.file("config.cfg")), file);
    run = tool({"remove", "--allow-faults", dir.file("config.cfg"), "Printers[LASER1]", "Headers[LOGO]", "Papers[A9]"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(tool({"get", dir.file("config.cfg"), "Printer"}).out, "0\n");
    EXPECT_EQ(tool({"get", dir.file("config.cfg"), "Headers[LOGO].IncludeFile"}).status, 1);
    EXPECT_EQ(tool({"get", dir.file("config.cfg"), "Papers[A4].SizeX"}).out, "595\n");

    const std::string now = readBytes(dir.file("config.cfg"));
    const std::pair<std::string, std::string> refused[] = {
        {"Papers", "'Papers': names a list; give a record by its key and a field, as in Papers[KEY].SizeX"},
        {"Papers[A4].SizeX", "'Papers[A4].SizeX': wants a record by its key, as in Printers[LASER1], Papers[A4] or "
                             "Headers[LOGO]"},
        {"Port", "'Port': wants a record by its key, as in Printers[LASER1], Papers[A4] or Headers[LOGO]"},
        {"Layout.Printers[A]", "'Layout.Printers[A]': unknown field 'Printers[A]' of the layout"},
    };
    for (const auto& [path, message] : refused) {
        run = tool({"remove", dir.file("config.cfg"), "Papers[A4]", path});
        EXPECT_EQ(run.status, 2) << path;
        EXPECT_EQ(run.err, error(message));
    }
    EXPECT_TRUE(readBytes(dir.file("config.cfg")) == now);
}
