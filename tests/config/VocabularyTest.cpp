#include <climits>
#include <cmath>
#include <gtest/gtest.h>

#include "config/NumberText.h"
#include "config/Vocabulary.h"

TEST(Vocabulary, CodesToWordsMapUnknownCodesToTheNamedWord)
{
    EXPECT_EQ(PriorityText(0), "LOW");
    EXPECT_EQ(PriorityText(1), "MED");
    EXPECT_EQ(PriorityText(2), "HIGH");
    EXPECT_EQ(PriorityText(7), "MED");
    EXPECT_EQ(PriorityText(-1), "MED");
    EXPECT_EQ(MediumText(1), "FILM");
    EXPECT_EQ(MediumText(5), "PAPER");
    EXPECT_EQ(DestinationText(0), "MAGAZINE");
    EXPECT_EQ(DestinationText(5), "PROCESSOR");
    EXPECT_EQ(DestinationText(-3), "PROCESSOR");
    EXPECT_EQ(OrientationText(1), "LANDSCAPE");
    EXPECT_EQ(OrientationText(-1), "PORTRAIT");
    EXPECT_EQ(YesNoText(true), "YES");
    EXPECT_EQ(YesNoText(false), "NO");
}

TEST(Vocabulary, WordsToCodesIgnoreCaseAndFallBack)
{
    EXPECT_EQ(PriorityCode("high"), 2);
    EXPECT_EQ(PriorityCode("Low"), 0);
    EXPECT_EQ(PriorityCode("medium"), 1);
    EXPECT_EQ(PriorityCode("urgent"), 1);
    EXPECT_EQ(PriorityCode(""), 1);
    EXPECT_EQ(MediumCode("film"), 1);
    EXPECT_EQ(MediumCode("FILMS"), 0);
    EXPECT_EQ(DestinationCode("processor"), 1);
    EXPECT_EQ(DestinationCode("bin"), 0);
    EXPECT_EQ(OrientationCode("landscape"), 1);
    EXPECT_EQ(OrientationCode("LAND SCAPE"), 0);
}

TEST(Vocabulary, YesNoIsLenientAndUsesTheFallbackForAnythingElse)
{
    for (const char* yes : {"1", "YES", "yes", "True", "t r u e", "Y\tES", " 1 "})
        EXPECT_TRUE(ParseYesNo(yes, false)) << yes;
    for (const char* no : {"0", "NO", "no", "False", "n o", "0\n"})
        EXPECT_FALSE(ParseYesNo(no, true)) << no;
    for (const char* other : {"", "maybe", "2", "yess", "01"}) {
        EXPECT_TRUE(ParseYesNo(other, true)) << other;
        EXPECT_FALSE(ParseYesNo(other, false)) << other;
    }
}

TEST(Vocabulary, DensityModeBetweenTextAndRadioButtons)
{
    EXPECT_EQ(DensityMode::FromText("white").Mode(), DensityWhite);
    EXPECT_EQ(DensityMode::FromText("Black").Mode(), DensityBlack);
    const DensityMode custom = DensityMode::FromText("128");
    EXPECT_EQ(custom.Mode(), DensityCustom);
    EXPECT_EQ(custom.Value(), 128);
    EXPECT_EQ(custom.ToText(), "128");
    const DensityMode dark = DensityMode::FromText("dark");
    EXPECT_EQ(dark.Mode(), DensityCustom);
    EXPECT_EQ(dark.Value(), 0);
    EXPECT_EQ(DensityMode::FromText("-12abc").Value(), -12);
    EXPECT_EQ(DensityMode(DensityWhite, 9).ToText(), "WHITE");
    EXPECT_EQ(DensityMode(DensityBlack, 9).ToText(), "BLACK");
    EXPECT_EQ(DensityMode(7, 9).ToText(), "BLACK");
    EXPECT_EQ(DensityMode::Custom(7).ToText(), "7");
}

TEST(NumberText, IntegersReadLikeAtoiButSaturate)
{
    EXPECT_EQ(ParseInteger("3x"), 3);
    EXPECT_EQ(ParseInteger("x"), 0);
    EXPECT_EQ(ParseInteger(""), 0);
    EXPECT_EQ(ParseInteger("  -42"), -42);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("- 7"), 0);
    EXPECT_EQ(ParseInteger("007"), 7);
    EXPECT_EQ(ParseInteger("2147483647"), INT_MAX);
    EXPECT_EQ(ParseInteger("2147483648"), INT_MAX);
    EXPECT_EQ(ParseInteger("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseInteger("-99999999999999999999"), INT_MIN);
}

TEST(NumberText, RealsReadLikeAtofWithAPointWhateverTheLocale)
{
    EXPECT_DOUBLE_EQ(ParseReal("14.17"), 14.17);
    EXPECT_DOUBLE_EQ(ParseReal(" 2.5mm"), 2.5);
    EXPECT_DOUBLE_EQ(ParseReal("1e2"), 100.0);
    EXPECT_DOUBLE_EQ(ParseReal("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(ParseReal("+3"), 3.0);
    EXPECT_DOUBLE_EQ(ParseReal("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseReal(""), 0.0);
    EXPECT_DOUBLE_EQ(ParseReal("3,5"), 3.0);
    EXPECT_DOUBLE_EQ(ParseReal("1e-999"), 0.0);
    EXPECT_TRUE(std::isinf(ParseReal("1e999")));
}

TEST(NumberText, RealsAreWrittenWithTwoDecimals)
{
    EXPECT_EQ(FormatRealTwoPlaces(14.17), "14.17");
    EXPECT_EQ(FormatRealTwoPlaces(5.0), "5.00");
    EXPECT_EQ(FormatRealTwoPlaces(2.5), "2.50");
    EXPECT_EQ(FormatRealTwoPlaces(10), "10.00");
    EXPECT_EQ(FormatRealTwoPlaces(0.125), "0.12"); // exactly halfway: to even, as printf does
    EXPECT_EQ(FormatRealTwoPlaces(-0.004), "-0.00");
    EXPECT_EQ(FormatInteger(-2147483647 - 1), "-2147483648");
}

TEST(NumberText, FieldsReadFromTheStartAndReportTextWithoutANumber)
{
    int i = 99;
    EXPECT_TRUE(ReadLeadingInteger("12abc", i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(ReadLeadingInteger("  -3", i));
    EXPECT_EQ(i, -3);
    i = 99;
    EXPECT_FALSE(ReadLeadingInteger("abc", i));
    EXPECT_FALSE(ReadLeadingInteger("", i));
    EXPECT_FALSE(ReadLeadingInteger("-", i));
    EXPECT_FALSE(ReadLeadingInteger("99999999999", i));
    EXPECT_EQ(i, 99);
    EXPECT_TRUE(ReadLeadingInteger("-2147483648", i));
    EXPECT_EQ(i, -2147483647 - 1);

    double d = 7;
    EXPECT_TRUE(ReadLeadingReal("14.17mm", d));
    EXPECT_DOUBLE_EQ(d, 14.17);
    EXPECT_TRUE(ReadLeadingReal(" .5", d));
    EXPECT_DOUBLE_EQ(d, 0.5);
    d = 7;
    EXPECT_FALSE(ReadLeadingReal("", d));
    EXPECT_FALSE(ReadLeadingReal("x1", d));
    EXPECT_FALSE(ReadLeadingReal(".", d));
    EXPECT_DOUBLE_EQ(d, 7);
}

TEST(NumberText, RealsShownWithUpToFifteenSignificantDigits)
{
    EXPECT_EQ(FormatRealShortest(5.0), "5");
    EXPECT_EQ(FormatRealShortest(14.17), "14.17");
    EXPECT_EQ(FormatRealShortest(14.17 + 0.01), "14.18");
    EXPECT_EQ(FormatRealShortest(0.005 - 0.01), "-0.005");
    EXPECT_EQ(FormatRealShortest(0.1 + 0.2), "0.3");
}
