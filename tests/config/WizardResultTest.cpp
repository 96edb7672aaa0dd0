#include <gtest/gtest.h>

#include "config/Configuration.h"
#include "config/StandardPaperSizes.h"
#include "config/WizardResult.h"

TEST(standardPaperSizes, TheTwoLookupVariantsAndTheirBounds)
{
    const PaperSizeLookup a4 = lookupStandardPaperSizeForDialog(13);
    EXPECT_EQ(a4.width, 595);
    EXPECT_EQ(a4.height, 842);
    EXPECT_EQ(a4.label, "A4");
    const PaperSizeLookup dl = lookupStandardPaperSizeForDialog(2);
    EXPECT_EQ(dl.width, 312);
    EXPECT_EQ(dl.label, "");
    EXPECT_EQ(lookupStandardPaperSizeForWizard(2).label, "DL Envelope");
    EXPECT_EQ(lookupStandardPaperSizeForDialog(3).label, "Folio");
    EXPECT_EQ(lookupStandardPaperSizeForDialog(7).width, 1224);
    EXPECT_EQ(lookupStandardPaperSizeForDialog(7).height, 792);
    EXPECT_EQ(lookupStandardPaperSizeForWizard(8).width, 792);
    EXPECT_EQ(lookupStandardPaperSizeForWizard(29).label, "B10");
    for (int outside : {30, -1, 1000}) {
        const PaperSizeLookup d = lookupStandardPaperSizeForDialog(outside);
        EXPECT_EQ(d.width, 0);
        EXPECT_EQ(d.height, 0);
        EXPECT_EQ(d.label, "");
        const PaperSizeLookup w = lookupStandardPaperSizeForWizard(outside);
        EXPECT_EQ(w.width, 0);
        EXPECT_EQ(w.label, "[no format]");
    }
    EXPECT_STREQ(standardPaperSizes().front().name, "Comm 10 # Envelope");
}

TEST(WizardSummary, IsBuiltByteForByteWithTheFixedHostPlaceholder)
{
    WizardResult r;
    r.PrinterAETitle = "LASER3";
    r.PrinterAddress = "10.0.0.9";
    r.Port = 11112;
    r.PaperName = "14INX17IN";
    r.Orientation = 1;
    r.BorderDensity = "BLACK";
    r.EmptyImageDensity = "150";
    r.Trim = false;
    EXPECT_EQ(buildWizardSummary(r),
              "Configured values that might be set on the print clients:\r\n\r\n[NETWORK]\r\n"
              "AETITLE:\t\t\tLASER3\r\nHOST:\t\t\t{IP address or hostname of the ZELNOR server machine}\r\n"
              "PORT:\t\t\t11112\r\n\r\n[LAYOUT]\r\nSIZE:\t\t\t14INX17IN\r\nORIENTATION:\t\tLANDSCAPE\r\n"
              "MAGNIFICATION:\t\tBILINEAR\r\nBORDERDENSITY:\t\tBLACK\r\nEMPTYIMAGEDENSITY:\t150\r\nTRIM:\t\t\tNO");
    r.Orientation = 0;
    r.Trim = true;
    const std::string portrait = buildWizardSummary(r);
    EXPECT_NE(portrait.find("ORIENTATION:\t\tPORTRAIT\r\n"), std::string::npos);
    EXPECT_EQ(portrait.substr(portrait.size() - 11), "TRIM:\t\t\tYES");
}

TEST(WizardResultCopy, AppendsAPrinterAndAStandardPaperAndSetsTheServer)
{
    Configuration c;
    WizardResult r;
    r.PrinterDescription = "d";
    r.PrinterAETitle = "AE";
    r.PrinterAddress = "h";
    r.PrinterQueue = "queue";
    r.ColorPrinter = false;
    r.PaperName = "14INX17IN";
    r.PaperFormat = 13;
    r.Orientation = 1;
    r.BorderDensity = "40";
    r.EmptyImageDensity = "WHITE";
    r.ImageDistance = 10;
    r.Trim = true;
    r.ServerName = "RAD";
    r.GrayscaleClass = true;
    r.ColorClass = false;
    r.Port = 5000;
    applyWizardResult(r, c);
    applyWizardResult(r, c); // a second run appends again
    ASSERT_EQ(c.Printers.size(), 2);
    ASSERT_EQ(c.Papers.size(), 2);
    const PaperRecord& paper = *c.Papers.find("14INX17IN");
    EXPECT_EQ(paper.Description, "A4 (named as 14INX17IN)");
    EXPECT_EQ(paper.PaperLabel, "A4");
    EXPECT_EQ(paper.SizeX, 595);
    EXPECT_EQ(paper.SizeY, 842);
    EXPECT_EQ(paper.SkipX, 20);
    EXPECT_EQ(paper.SkipY, 20);
    EXPECT_EQ(paper.OffsetX, 0);
    EXPECT_EQ(paper.HeaderName, "");
    EXPECT_FALSE(c.SupportsColorImage);
    EXPECT_EQ(c.PrinterName, "RAD");
    EXPECT_TRUE(c.BasicGrayscaleMetaSOPClass);
    EXPECT_FALSE(c.BasicColorMetaSOPClass);
    EXPECT_EQ(c.Port, 5000);
    EXPECT_EQ(c.Layout.Orientation, 1);
    EXPECT_EQ(c.Layout.PageSize, "14INX17IN");
    EXPECT_TRUE(c.Layout.Trim);
    EXPECT_EQ(c.Layout.BorderDensity, "40");

    r.PaperFormat = -1;
    applyWizardResult(r, c);
    EXPECT_EQ((c.Papers.begin() + 2)->Description, "[no format] (named as 14INX17IN)");
    EXPECT_EQ((c.Papers.begin() + 2)->SizeX, 0);
}
