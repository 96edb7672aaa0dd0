#include <gtest/gtest.h>

#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"

namespace {

void makeValid(Configuration& c)
{
    PrinterRecord printer;
    printer.PrinterAETitle = "LASER";
    c.Printers.add(printer);
    PaperRecord paper;
    paper.Name = "A4";
    c.Papers.add(paper);
    c.Layout.PageSize = "A4";
}

} // namespace

TEST(check, AllFiveFaultsInOrderWithThePrinterPageFirst)
{
    Configuration c;
    c.BasicColorMetaSOPClass = false;
    c.BasicGrayscaleMetaSOPClass = false;
    c.ServerAETitle.clear();
    const ConfigurationFaults faults = findConfigurationFaults(c);
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

TEST(check, FreshRecordHasThreeFaults)
{
    Configuration c;
    const ConfigurationFaults faults = findConfigurationFaults(c);
    EXPECT_EQ(faults.lines.size(), 3u);
    EXPECT_EQ(faults.lines[2], "No valid paper size defined for [STANDARD] layout.\n");
}

TEST(check, PageSizeMustNameAPaperExactly)
{
    Configuration c;
    makeValid(c);
    EXPECT_TRUE(findConfigurationFaults(c).empty());
    c.Layout.PageSize = "a4";
    const ConfigurationFaults faults = findConfigurationFaults(c);
    ASSERT_EQ(faults.lines.size(), 1u);
    EXPECT_EQ(faults.firstErrorPage, 4);
}

TEST(check, OnePrintClassIsEnoughAndServerTitleGoesToDicomPage)
{
    Configuration c;
    makeValid(c);
    c.BasicColorMetaSOPClass = false;
    EXPECT_TRUE(findConfigurationFaults(c).empty());
    c.BasicGrayscaleMetaSOPClass = false;
    EXPECT_EQ(findConfigurationFaults(c).firstErrorPage, 3);
    c.BasicGrayscaleMetaSOPClass = true;
    c.ServerAETitle.clear();
    EXPECT_EQ(findConfigurationFaults(c).firstErrorPage, 3);
    c.Papers.remove("A4");
    EXPECT_EQ(findConfigurationFaults(c).firstErrorPage, 2);
}
