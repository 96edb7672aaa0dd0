#include <gtest/gtest.h>

#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"

namespace {

void MakeValid(CConfiguration& c)
{
    sPrinter printer;
    printer.PrinterAETitle = "LASER";
    c.Printers.Add(printer);
    sPaper paper;
    paper.Name = "A4";
    c.Papers.Add(paper);
    c.Layout.PageSize = "A4";
}

} // namespace

TEST(Check, AllFiveFaultsInOrderWithThePrinterPageFirst)
{
    CConfiguration c;
    c.BasicColorMetaSOPClass = false;
    c.BasicGrayscaleMetaSOPClass = false;
    c.ServerAETitle.clear();
    const ConfigurationFaults faults = FindConfigurationFaults(c);
    const std::vector<std::string> expected = {
        "No printer configured.\n",
        "No paper size configured.\n",
        "No print class (BasicColorMetaSOP or BasicGrayscaleMetaSOP) configured.\n",
        "No server AE title defined.\n",
        "No valid paper size defined for [STANDARD] layout.\n",
    };
    EXPECT_EQ(faults.lines, expected);
    EXPECT_EQ(faults.firstErrorPage, 1);
}

TEST(Check, FreshRecordHasThreeFaults)
{
    CConfiguration c;
    const ConfigurationFaults faults = FindConfigurationFaults(c);
    EXPECT_EQ(faults.lines.size(), 3u);
    EXPECT_EQ(faults.lines[2], "No valid paper size defined for [STANDARD] layout.\n");
}

TEST(Check, PageSizeMustNameAPaperExactly)
{
    CConfiguration c;
    MakeValid(c);
    EXPECT_TRUE(FindConfigurationFaults(c).empty());
    c.Layout.PageSize = "a4";
    const ConfigurationFaults faults = FindConfigurationFaults(c);
    ASSERT_EQ(faults.lines.size(), 1u);
    EXPECT_EQ(faults.firstErrorPage, 4);
}

TEST(Check, OnePrintClassIsEnoughAndServerTitleGoesToDicomPage)
{
    CConfiguration c;
    MakeValid(c);
    c.BasicColorMetaSOPClass = false;
    EXPECT_TRUE(FindConfigurationFaults(c).empty());
    c.BasicGrayscaleMetaSOPClass = false;
    EXPECT_EQ(FindConfigurationFaults(c).firstErrorPage, 3);
    c.BasicGrayscaleMetaSOPClass = true;
    c.ServerAETitle.clear();
    EXPECT_EQ(FindConfigurationFaults(c).firstErrorPage, 3);
    c.Papers.Remove("A4");
    EXPECT_EQ(FindConfigurationFaults(c).firstErrorPage, 2);
}
