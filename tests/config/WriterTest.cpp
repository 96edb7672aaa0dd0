#include <gtest/gtest.h>

#include "SampleConfig.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/Configuration.h"

namespace {

std::size_t countLines(const std::string& text)
{
    std::size_t lines = 0;
    for (std::size_t i = text.find("\r\n"); i != std::string::npos; i = text.find("\r\n", i + 2))
        ++lines;
    return lines;
}

} // namespace

TEST(Writer, FreshRecordMatchesTheGoldenFileByteForByte)
{
    Configuration c;
    const std::string text = formatConfiguration(c);
    EXPECT_EQ(text, readBytes(goldenPath("fresh.cfg")));
    EXPECT_EQ(countLines(text), 92u);
    // CR LF everywhere, no bare LF, no blank line at the end.
    EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1);
    EXPECT_EQ(text.substr(text.size() - 13), "PageSize = \r\n");
    EXPECT_NE(text.find("\r\nPrinter = 0\r\n\r\n[[[DICOM]]]\r\n"), std::string::npos);
    EXPECT_NE(text.find("ImageDistance = 14.17\r\nTrimWidth = 5.00\r\n"), std::string::npos);
}

TEST(Writer, PopulatedRecordMatchesTheGoldenFileByteForByte)
{
    Configuration c;
    fillSample(c);
    EXPECT_EQ(formatConfiguration(c), readBytes(goldenPath("sample.cfg")));
}

TEST(Writer, PrinterCountComesFromTheListAndManufacturerIsFixed)
{
    Configuration c;
    c.Printer = 5;
    c.Manufacturer = "Other";
    c.Printers.add(PrinterRecord{});
    c.Printers.add(PrinterRecord{});
    const std::string text = formatConfiguration(c);
    EXPECT_NE(text.find("Printer = 2\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Printer-1]\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Printer-2]\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[Printer-3]"), std::string::npos);
    EXPECT_NE(text.find("Manufacturer = Ardeval Ltd.\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Other"), std::string::npos);
}

TEST(Writer, LineBreaksInsideTextsCannotInjectLines)
{
    Configuration c;
    c.Text = "evil\r\n[[[DICOM]]]\r\nPort = 1";
    PaperRecord paper;
    paper.Name = "A4]\n[[[HEADER]]";
    c.Papers.add(paper);
    const std::string text = formatConfiguration(c);
    EXPECT_NE(text.find("Text = evil[[[DICOM]]]Port = 1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n[A4][[[HEADER]]]\r\n"), std::string::npos);
    EXPECT_EQ(countLines(text), 92u + 11u);
}

TEST(Writer, PiecesJoinToTheWholeTextAndARefusedPieceStopsTheWriting)
{
    Configuration c;
    fillSample(c);
    for (int i = 0; i < 6000; ++i) { // several megabytes: more than one piece
        PaperRecord paper;
        paper.Name = "Paper " + std::to_string(i);
        paper.Description = std::string(200, 'd');
        c.Papers.add(paper);
    }
    const std::string whole = formatConfiguration(c);

    std::string joined;
    int pieces = 0;
    EXPECT_TRUE(formatConfiguration(c, [&](std::string_view piece) {
        joined += piece;
        ++pieces;
        return true;
    }));
    EXPECT_GT(pieces, 1);
    EXPECT_TRUE(joined == whole);

    pieces = 0;
    EXPECT_FALSE(formatConfiguration(c, [&](std::string_view) { return ++pieces < 2; }));
    EXPECT_EQ(pieces, 2);

    TempDir dir;
    std::string message;
    ASSERT_TRUE(c.saveToFile(dir.file("big.cfg"), message));
    EXPECT_TRUE(readBytes(dir.file("big.cfg")) == whole);
}
