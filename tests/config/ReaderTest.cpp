#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ReaderFindings.h"
#include "platform/RegularFile.h"

namespace {

struct ReaderCase {
    const char* name;
    std::string text;
    std::function<void(const Configuration&)> check;
};

const std::string kGeneral = "[[[PRINTER]]]\n[[SETTINGS]]\n[GENERAL]\n";
const std::string kSession = "[[[DICOM]]]\n[[SESSION]]\n[General]\n";
const std::string kPages = "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n";
const std::string kPrinters = "[[[PRINTER]]]\n[[SETTINGS]]\n";

const ReaderCase kCases[] = {
    {"comments and blank lines change nothing", ";x\n\n   \n\t; indented\n;[[[PRINTER]]]\n",
     [](const Configuration& c) {
         EXPECT_TRUE(c.DeleteJobFile);
         EXPECT_EQ(c.Printers.size(), 0);
     }},
    {"keys before any header are ignored", "DeleteJobFile = NO\nPort = 5\n",
     [](const Configuration& c) {
         EXPECT_TRUE(c.DeleteJobFile);
         EXPECT_EQ(c.Port, 104);
     }},
    {"section names and keys match in any case",
     "[[[Printer]]]\n[[Settings]]\n[general]\ndeletejobfile = no\nASYNCHRONOUS=false\n",
     [](const Configuration& c) {
         EXPECT_FALSE(c.DeleteJobFile);
         EXPECT_FALSE(c.Asynchronous);
     }},
    {"blanks inside brackets match nothing", "[[[PRINTER]]]\n[[SETTINGS]]\n[ General ]\nDeleteJobFile = NO\n",
     [](const Configuration& c) { EXPECT_TRUE(c.DeleteJobFile); }},
    {"a level-1 header keeps the level-2 name, empty at the start", "[[[PRINTER]]]\n[GENERAL]\nDeleteJobFile = NO\n",
     [](const Configuration& c) { EXPECT_TRUE(c.DeleteJobFile); }},
    {"a header replaces only its own level",
     kGeneral + "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 9\n[[[PRINTER]]]\n[[SETTINGS]]\nDeleteJobFile = NO\n",
     [](const Configuration& c) {
         EXPECT_EQ(c.Port, 9);
         // Level 1 is still "Server": the general key matches nothing.
         EXPECT_TRUE(c.DeleteJobFile);
     }},
    {"four brackets are ignored and text after ] too",
     kGeneral + "[[[[DICOM]]]]\nDeleteJobFile = NO\n[GENERAL] trailing\nAsynchronous = NO\n",
     [](const Configuration& c) {
         EXPECT_FALSE(c.DeleteJobFile);
         EXPECT_FALSE(c.Asynchronous);
     }},
    {"tabs and carriage returns are dropped wherever they stand in a long line",
     "[[[DICOM]]]\n[[PRINTER]]\n[La\rbel]\nText\t= 0123456789abcdef\tX\r\r\n",
     [](const Configuration& c) { EXPECT_EQ(c.Text, "0123456789abcdefX"); }},
    {"value keeps further = and inner blanks; tabs are removed everywhere",
     "[[[DICOM]]]\n[[PRINTER]]\n[Label]\nText = A\tB\n[General]\nPrinterName =  a = b ; c  \n",
     [](const Configuration& c) {
         EXPECT_EQ(c.Text, "AB");
         EXPECT_EQ(c.PrinterName, "a = b ; c");
     }},
    {"integers read like atoi", kSession + "Copies = 3x\n[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort =\n",
     [](const Configuration& c) {
         EXPECT_EQ(c.Copies, 3);
         EXPECT_EQ(c.Port, 0);
     }},
    {"letters give 0", kSession + "Copies = x\n", [](const Configuration& c) { EXPECT_EQ(c.Copies, 0); }},
    {"integers saturate", kSession + "Copies = 99999999999\n",
     [](const Configuration& c) { EXPECT_EQ(c.Copies, 2147483647); }},
    {"yes/no fallbacks are per key",
     kGeneral + "DeleteJobFile = maybe\nSuppressPrinting = maybe\n"
                "[[[DICOM]]]\n[[PRINTER]]\n[PostScript]\nUseCMYK = maybe\n"
                "[[[LAYOUTS]]]\n[[STANDARD]]\n[Defaults]\nTrim = n o\n",
     [](const Configuration& c) {
         EXPECT_TRUE(c.DeleteJobFile);
         EXPECT_FALSE(c.SuppressPrinting);
         EXPECT_TRUE(c.UseCMYK);
         EXPECT_FALSE(c.Layout.Trim);
     }},
    {"the misspelt suppress key is accepted", kGeneral + "SURPRESSPRINTING = yes\n",
     [](const Configuration& c) { EXPECT_TRUE(c.SuppressPrinting); }},
    {"words fall back to their default code",
     kSession + "Priority = urgent\nMediumType = film\nDestination = Processor\n",
     [](const Configuration& c) {
         EXPECT_EQ(c.Priority, 1);
         EXPECT_EQ(c.MediumType, 1);
         EXPECT_EQ(c.Destination, 1);
     }},
    {"priority high in lower case", kSession + "priority = high\n",
     [](const Configuration& c) { EXPECT_EQ(c.Priority, 2); }},
    {"lines without a key or without = are ignored", kGeneral + "= NO\nDeleteJobFile NO\n",
     [](const Configuration& c) { EXPECT_TRUE(c.DeleteJobFile); }},
    {"a4 and A4 are two paper sizes; a repeated section updates the first",
     kPages + "[A4]\nSizeX = 595\n[a4]\nSizeX = 590\n[A4]\nSizeY = 842\n",
     [](const Configuration& c) {
         ASSERT_EQ(c.Papers.size(), 2);
         EXPECT_EQ(c.Papers.find("A4")->SizeX, 595);
         EXPECT_EQ(c.Papers.find("A4")->SizeY, 842);
         EXPECT_EQ(c.Papers.find("a4")->SizeX, 590);
         EXPECT_EQ(c.Papers.find("a4")->SizeY, 0);
     }},
    {"an unknown key still creates the paper and the header bitmap",
     kPages + "[Film 14x17]\nColour = red\n[[[HEADER]]]\n[[STANDARD]]\n[logo]\nfoo = bar\n",
     [](const Configuration& c) {
         ASSERT_EQ(c.Papers.size(), 1);
         EXPECT_EQ(c.Papers.begin()->Name, "Film 14x17");
         ASSERT_EQ(c.Headers.size(), 1);
         EXPECT_EQ(c.Headers.begin()->Name, "logo");
     }},
    {"Printer-3 on an empty list appends one printer per key line",
     kPrinters + "[Printer-3]\nDescription = one\nDescription = two\nDescription = three\nPrinterQueue = q3\n",
     [](const Configuration& c) {
         ASSERT_EQ(c.Printers.size(), 3);
         EXPECT_EQ(c.Printers.at(0)->PrinterAETitle, "SAMPLE");
         EXPECT_EQ(c.Printers.at(0)->PrinterAddress, "localhost");
         EXPECT_EQ(c.Printers.at(0)->PrinterQueue, "queue");
         EXPECT_EQ(c.Printers.at(0)->Description, "");
         EXPECT_EQ(c.Printers.at(1)->Description, "");
         EXPECT_EQ(c.Printers.at(2)->Description, "three");
         EXPECT_EQ(c.Printers.at(2)->PrinterQueue, "q3");
     }},
    {"Printer-0 and Printer-x never create or match",
     kPrinters + "[Printer-0]\nDescription = zero\n[Printer-x]\nDescription = x\n[Printer--1]\nDescription = m\n",
     [](const Configuration& c) { EXPECT_EQ(c.Printers.size(), 0); }},
    {"the number follows the first dash, PRINTER- anywhere in the name",
     kPrinters + "[MyPrinter-1]\nPrinterAETitle = MINE\n[lower printer-2 x]\nPrinterAETitle = TWO\n",
     [](const Configuration& c) {
         ASSERT_EQ(c.Printers.size(), 2);
         EXPECT_EQ(c.Printers.at(0)->PrinterAETitle, "MINE");
         EXPECT_EQ(c.Printers.at(1)->PrinterAETitle, "TWO");
     }},
    {"a second Printer-1 section updates the first printer",
     kPrinters + "[Printer-1]\nPrinterAETitle = A\n[Printer-1]\nPrinterQueue = Q\n",
     [](const Configuration& c) {
         ASSERT_EQ(c.Printers.size(), 1);
         EXPECT_EQ(c.Printers.at(0)->PrinterAETitle, "A");
         EXPECT_EQ(c.Printers.at(0)->PrinterQueue, "Q");
     }},
    {"a huge printer number neither overflows nor matches",
     kPrinters + "[Printer-2147483648]\nDescription = big\n[Printer--2147483648]\nDescription = small\n",
     [](const Configuration& c) {
         ASSERT_EQ(c.Printers.size(), 1);
         EXPECT_EQ(c.Printers.at(0)->Description, "");
     }},
    {"the stated printer count is kept only", kGeneral + "Printer = 7\n",
     [](const Configuration& c) {
         EXPECT_EQ(c.Printer, 7);
         EXPECT_EQ(c.Printers.size(), 0);
     }},
    {"reals with any number of decimals",
     "[[[LAYOUTS]]]\n[[STANDARD]]\n[General]\nImageDistance = 1.005e1\nTrimWidth = wide\n",
     [](const Configuration& c) {
         EXPECT_DOUBLE_EQ(c.Layout.ImageDistance, 10.05);
         EXPECT_DOUBLE_EQ(c.Layout.TrimWidth, 0.0);
     }},
    {"CR LF line ends and a last line without one",
     "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\nServerAETitle = X\r\nPort = 11",
     [](const Configuration& c) {
         EXPECT_EQ(c.ServerAETitle, "X");
         EXPECT_EQ(c.Port, 11);
     }},
    {"manufacturer is read and kept", "[[[DICOM]]]\n[[PRINTER]]\n[General]\nManufacturer = Other\n",
     [](const Configuration& c) { EXPECT_EQ(c.Manufacturer, "Other"); }},
};

void PrintTo(const ReaderCase& tc, std::ostream* os)
{
    *os << tc.name;
}

class ReaderCases : public ::testing::TestWithParam<ReaderCase> {};

} // namespace

TEST_P(ReaderCases, AppliesTheLinesAsTheFormatSays)
{
    const ReaderCase& tc = GetParam();
    TempDir dir;
    writeBytes(dir.file("in.cfg"), tc.text);
    Configuration c;
    std::string message = "untouched";
    ASSERT_TRUE(c.loadFromFile(dir.file("in.cfg"), message));
    EXPECT_EQ(message, "untouched");
    tc.check(c);
}

INSTANTIATE_TEST_SUITE_P(Reader, ReaderCases, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ReaderCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// A file that grows while it is read is read up to the size it had when it
// was opened: here each chunk read appends as much again, a bounded number
// of times so that a reader without the bound fails instead of hanging.
TEST(Reader, AGrowingFileIsReadAsFarAsItReachedWhenOpened)
{
    struct Row {
        const char* name;
        std::size_t size;
        std::size_t chunkSize;
    };
    const Row rows[] = {
        {"small chunks", 100, 16},
        {"one chunk larger than the file", 100, 4096},
        {"empty", 0, 16},
    };
    for (const Row& row : rows) {
        TempDir dir;
        const std::string path = dir.file("growing.cfg");
        const std::string start(row.size, 'a');
        writeBytes(path, start);
        std::string read, message;
        int appended = 0;
        EXPECT_TRUE(readRegularFile(path, message, row.chunkSize,
                                    [&](std::string_view chunk) {
                                        read += chunk;
                                        if (appended++ < 1000)
                                            std::ofstream(path, std::ios::binary | std::ios::app)
                                                << std::string(chunk.size(), 'b');
                                    }))
            << row.name << ": " << message;
        EXPECT_EQ(read, start) << row.name;
    }
}

TEST(Reader, MissingFileFailsWithThePlatformText)
{
    TempDir dir;
    Configuration c;
    std::string message;
    const std::string path = dir.file("nowhere.cfg");
    EXPECT_FALSE(c.loadFromFile(path, message));
    EXPECT_EQ(message, "File could not be opened: " + path + " was not found.");
}

TEST(Reader, ADirectoryCannotBeRead)
{
    TempDir dir;
    Configuration c;
    std::string message;
    EXPECT_FALSE(c.loadFromFile(dir.path(), message));
    EXPECT_EQ(message, "File could not be opened: Access to " + dir.path() + " was denied.");
}

TEST(Reader, LinesOfAnyLengthAcrossBufferBoundaries)
{
    TempDir dir;
    const std::string longText(300000, 'x');
    writeBytes(dir.file("long.cfg"),
               std::string(70000, ';') + "\r\n[[[DICOM]]]\r\n[[PRINTER]]\r\n[Label]\r\nText = " + longText + "\r\n");
    Configuration c;
    std::string message;
    ASSERT_TRUE(c.loadFromFile(dir.file("long.cfg"), message));
    EXPECT_EQ(c.Text, longText);
}

TEST(Reader, ReadsOnTopOfExistingRecordsWithFirstMatch)
{
    Configuration c;
    PaperRecord first;
    first.Name = "A4";
    first.SizeX = 1;
    c.Papers.add(first);
    first.SizeX = 2;
    c.Papers.add(first);
    ConfigReader(c).readText(kPages + "[A4]\nSizeY = 9\n");
    ASSERT_EQ(c.Papers.size(), 2);
    EXPECT_EQ(c.Papers.begin()->SizeY, 9);
    EXPECT_EQ((c.Papers.begin() + 1)->SizeY, 0);
}

TEST(Reader, ARealThatIsNotFiniteKeepsTheFieldAndIsReported)
{
    Configuration c;
    ReaderFindings findings;
    ConfigReader(c, &findings)
        .readText("[[[LAYOUTS]]]\n[[STANDARD]]\n[General]\nImageDistance = 1e999\nTrimWidth = inf\n"
                  "[General]\nImageDistance = nan\n");
    EXPECT_DOUBLE_EQ(c.Layout.ImageDistance, 14.17);
    EXPECT_DOUBLE_EQ(c.Layout.TrimWidth, 5.0);
    const std::string written = formatConfiguration(c);
    EXPECT_NE(written.find("ImageDistance = 14.17\r\n"), std::string::npos);
    EXPECT_EQ(written.find("inf"), std::string::npos);
    int replaced = 0;
    for (const Finding& finding : findings.all())
        replaced += finding.kind == FindingKind::ValueReplaced;
    EXPECT_EQ(replaced, 3);
}
