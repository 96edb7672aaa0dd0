#include <gtest/gtest.h>

#include "config/RecordLists.h"

namespace {

PaperRecord paper(const std::string& name, int sizeX = 0)
{
    PaperRecord paper;
    paper.Name = name;
    paper.SizeX = sizeX;
    return paper;
}

PrinterRecord printer(const std::string& aeTitle)
{
    PrinterRecord printer;
    printer.PrinterAETitle = aeTitle;
    return printer;
}

} // namespace

TEST(Lists, KeysCompareExactlyAndCaseSensitively)
{
    PaperList papers;
    papers.add(paper("A4"));
    EXPECT_TRUE(papers.exists("A4"));
    EXPECT_FALSE(papers.exists("a4"));
    EXPECT_FALSE(papers.exists("A4 "));
    EXPECT_EQ(papers.find("a4"), nullptr);

    PrinterList printers;
    printers.add(printer("LASER"));
    EXPECT_TRUE(printers.exists("LASER"));
    EXPECT_FALSE(printers.exists("laser"));
}

TEST(Lists, DuplicatesAreAllowedAndLookupsTakeTheFirst)
{
    PaperList papers;
    papers.add(paper("A4", 1));
    papers.add(paper("Letter", 2));
    papers.add(paper("A4", 3));
    ASSERT_EQ(papers.size(), 3);
    EXPECT_EQ(papers.find("A4")->SizeX, 1);

    papers.find("A4")->SizeX = 10; // stored record, changed in place
    EXPECT_EQ(papers.begin()->SizeX, 10);

    EXPECT_TRUE(papers.remove("A4"));
    EXPECT_EQ(papers.find("A4")->SizeX, 3);
    EXPECT_TRUE(papers.remove("A4"));
    EXPECT_FALSE(papers.remove("A4"));
    ASSERT_EQ(papers.size(), 1);
    EXPECT_EQ(papers.begin()->Name, "Letter");
}

TEST(Lists, PrinterPositionsCountFromZeroWithoutALowerBoundOnValidity)
{
    PrinterList printers;
    for (const char* title : {"P1", "P2", "P3"})
        printers.add(printer(title));

    EXPECT_TRUE(printers.isValidIndex(-1));
    EXPECT_EQ(printers.at(-1), nullptr);
    EXPECT_TRUE(printers.isValidIndex(2));
    EXPECT_FALSE(printers.isValidIndex(3));
    EXPECT_EQ(printers.at(3), nullptr);

    EXPECT_FALSE(printers.removeAt(3));
    EXPECT_FALSE(printers.removeAt(-1));
    EXPECT_EQ(printers.size(), 3);

    EXPECT_TRUE(printers.removeAt(0));
    ASSERT_EQ(printers.size(), 2);
    EXPECT_EQ(printers.at(0)->PrinterAETitle, "P2");
    EXPECT_EQ(printers.at(1)->PrinterAETitle, "P3");

    printers.removeAll();
    EXPECT_EQ(printers.size(), 0);
}

TEST(Lists, RecordsAreCopiedIn)
{
    HeaderList headers;
    HeaderRecord header{"LOGO", "logo.bmp"};
    headers.add(header);
    header.IncludeFile = "other.bmp";
    EXPECT_EQ(headers.find("LOGO")->IncludeFile, "logo.bmp");
}

TEST(Lists, RemovingSeveralPositionsCountsThemBeforeAnyRemoval)
{
    PaperList papers;
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        PaperRecord p;
        p.Name = name;
        papers.add(p);
    }
    // Unsorted, repeated and out-of-range positions: each named record goes once.
    papers.removeAtPositions({3, 0, 3, 9, -1});
    ASSERT_EQ(papers.size(), 3);
    EXPECT_EQ(papers.at(0)->Name, "B");
    EXPECT_EQ(papers.at(1)->Name, "C");
    EXPECT_EQ(papers.at(2)->Name, "E");
}
