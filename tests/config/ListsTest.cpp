#include <gtest/gtest.h>

#include "config/RecordLists.h"

namespace {

sPaper Paper(const std::string& name, int sizeX = 0)
{
    sPaper paper;
    paper.Name = name;
    paper.SizeX = sizeX;
    return paper;
}

sPrinter Printer(const std::string& aeTitle)
{
    sPrinter printer;
    printer.PrinterAETitle = aeTitle;
    return printer;
}

} // namespace

TEST(Lists, KeysCompareExactlyAndCaseSensitively)
{
    CPaperList papers;
    papers.Add(Paper("A4"));
    EXPECT_TRUE(papers.Exists("A4"));
    EXPECT_FALSE(papers.Exists("a4"));
    EXPECT_FALSE(papers.Exists("A4 "));
    EXPECT_EQ(papers.Find("a4"), nullptr);

    CPrinterList printers;
    printers.Add(Printer("LASER"));
    EXPECT_TRUE(printers.Exists("LASER"));
    EXPECT_FALSE(printers.Exists("laser"));
}

TEST(Lists, DuplicatesAreAllowedAndLookupsTakeTheFirst)
{
    CPaperList papers;
    papers.Add(Paper("A4", 1));
    papers.Add(Paper("Letter", 2));
    papers.Add(Paper("A4", 3));
    ASSERT_EQ(papers.GetCount(), 3);
    EXPECT_EQ(papers.Find("A4")->SizeX, 1);

    papers.Find("A4")->SizeX = 10; // stored record, changed in place
    EXPECT_EQ(papers.begin()->SizeX, 10);

    EXPECT_TRUE(papers.Remove("A4"));
    EXPECT_EQ(papers.Find("A4")->SizeX, 3);
    EXPECT_TRUE(papers.Remove("A4"));
    EXPECT_FALSE(papers.Remove("A4"));
    ASSERT_EQ(papers.GetCount(), 1);
    EXPECT_EQ(papers.begin()->Name, "Letter");
}

TEST(Lists, PrinterPositionsCountFromZeroWithoutALowerBoundOnValidity)
{
    CPrinterList printers;
    for (const char* title : {"P1", "P2", "P3"})
        printers.Add(Printer(title));

    EXPECT_TRUE(printers.IsValidIndex(-1));
    EXPECT_EQ(printers.GetAt(-1), nullptr);
    EXPECT_TRUE(printers.IsValidIndex(2));
    EXPECT_FALSE(printers.IsValidIndex(3));
    EXPECT_EQ(printers.GetAt(3), nullptr);

    EXPECT_FALSE(printers.RemoveAt(3));
    EXPECT_FALSE(printers.RemoveAt(-1));
    EXPECT_EQ(printers.GetCount(), 3);

    EXPECT_TRUE(printers.RemoveAt(0));
    ASSERT_EQ(printers.GetCount(), 2);
    EXPECT_EQ(printers.GetAt(0)->PrinterAETitle, "P2");
    EXPECT_EQ(printers.GetAt(1)->PrinterAETitle, "P3");

    printers.RemoveAll();
    EXPECT_EQ(printers.GetCount(), 0);
}

TEST(Lists, RecordsAreCopiedIn)
{
    CHeaderList headers;
    sHeader header{"LOGO", "logo.bmp"};
    headers.Add(header);
    header.IncludeFile = "other.bmp";
    EXPECT_EQ(headers.Find("LOGO")->IncludeFile, "logo.bmp");
}

TEST(Lists, RemovingSeveralPositionsCountsThemBeforeAnyRemoval)
{
    CPaperList papers;
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        sPaper p;
        p.Name = name;
        papers.Add(p);
    }
    // Unsorted, repeated and out-of-range positions: each named record goes once.
    papers.RemoveAtPositions({3, 0, 3, 9, -1});
    ASSERT_EQ(papers.GetCount(), 3);
    EXPECT_EQ(papers.GetAt(0)->Name, "B");
    EXPECT_EQ(papers.GetAt(1)->Name, "C");
    EXPECT_EQ(papers.GetAt(2)->Name, "E");
}
