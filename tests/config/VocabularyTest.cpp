#include <climits>
#include <cmath>
#include <gtest/gtest.h>

#include "config/NumberText.h"
#include "config/Vocabulary.h"

TEST(Vocabulary, CodesToWordsMapUnknownCodesToTheNamedWord)
{
    EXPECT_EQ(priorityText(0), "LOW");
    EXPECT_EQ(priorityText(1), "MED");
    EXPECT_EQ(priorityText(2), "HIGH");
    EXPECT_EQ(priorityText(7), "MED");
    EXPECT_EQ(priorityText(-1), "MED");
    EXPECT_EQ(mediumText(1), "FILM");
    EXPECT_EQ(mediumText(5), "PAPER");
    EXPECT_EQ(destinationText(0), "MAGAZINE");
    EXPECT_EQ(destinationText(5), "PROCESSOR");
    EXPECT_EQ(destinationText(-3), "PROCESSOR");
    EXPECT_EQ(orientationText(1), "LANDSCAPE");
    EXPECT_EQ(orientationText(-1), "PORTRAIT");
    EXPECT_EQ(yesNoText(true), "YES");
    EXPECT_EQ(yesNoText(false), "NO");
}

TEST(Vocabulary, WordsToCodesIgnoreCaseAndFallBack)
{
    EXPECT_EQ(priorityCode("high"), 2);
    EXPECT_EQ(priorityCode("Low"), 0);
    EXPECT_EQ(priorityCode("medium"), 1);
    EXPECT_EQ(priorityCode("urgent"), 1);
    EXPECT_EQ(priorityCode(""), 1);
    EXPECT_EQ(mediumCode("film"), 1);
    EXPECT_EQ(mediumCode("FILMS"), 0);
    EXPECT_EQ(destinationCode("processor"), 1);
    EXPECT_EQ(destinationCode("bin"), 0);
    EXPECT_EQ(orientationCode("landscape"), 1);
    EXPECT_EQ(orientationCode("LAND SCAPE"), 0);
}

TEST(Vocabulary, YesNoIsLenientAndUsesTheFallbackForAnythingElse)
{
    for (const char* yes : {"1", "YES", "yes", "True", "t r u e", "Y\tES", " 1 "})
        EXPECT_TRUE(parseYesNo(yes, false)) << yes;
    for (const char* no : {"0", "NO", "no", "False", "n o", "0\n"})
        EXPECT_FALSE(parseYesNo(no, true)) << no;
    for (const char* other : {"", "maybe", "2", "yess", "01"}) {
        EXPECT_TRUE(parseYesNo(other, true)) << other;
        EXPECT_FALSE(parseYesNo(other, false)) << other;
    }
}

TEST(Vocabulary, DensityModeBetweenTextAndRadioButtons)
{
    EXPECT_EQ(DensityMode::fromText("white").mode(), DensityWhite);
    EXPECT_EQ(DensityMode::fromText("Black").mode(), DensityBlack);
    const DensityMode custom = DensityMode::fromText("128");
    EXPECT_EQ(custom.mode(), DensityCustom);
    EXPECT_EQ(custom.value(), 128);
    EXPECT_EQ(custom.toText(), "128");
    const DensityMode dark = DensityMode::fromText("dark");
    EXPECT_EQ(dark.mode(), DensityCustom);
    EXPECT_EQ(dark.value(), 0);
    EXPECT_EQ(DensityMode::fromText("-12abc").value(), -12);
    EXPECT_EQ(DensityMode(DensityWhite, 9).toText(), "WHITE");
    EXPECT_EQ(DensityMode(DensityBlack, 9).toText(), "BLACK");
    EXPECT_EQ(DensityMode(7, 9).toText(), "BLACK");
    EXPECT_EQ(DensityMode::custom(7).toText(), "7");
}

TEST(NumberText, IntegersReadLikeAtoiButSaturate)
{
    EXPECT_EQ(parseInteger("3x"), 3);
    EXPECT_EQ(parseInteger("x"), 0);
    EXPECT_EQ(parseInteger(""), 0);
    EXPECT_EQ(parseInteger("  -42"), -42);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("- 7"), 0);
    EXPECT_EQ(parseInteger("007"), 7);
    EXPECT_EQ(parseInteger("2147483647"), INT_MAX);
    EXPECT_EQ(parseInteger("2147483648"), INT_MAX);
    EXPECT_EQ(parseInteger("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(parseInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(parseInteger("-99999999999999999999"), INT_MIN);
}

TEST(NumberText, RealsReadLikeAtofWithAPointWhateverTheLocale)
{
    EXPECT_DOUBLE_EQ(parseReal("14.17"), 14.17);
    EXPECT_DOUBLE_EQ(parseReal(" 2.5mm"), 2.5);
    EXPECT_DOUBLE_EQ(parseReal("1e2"), 100.0);
    EXPECT_DOUBLE_EQ(parseReal("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(parseReal("+3"), 3.0);
    EXPECT_DOUBLE_EQ(parseReal("abc"), 0.0);
    EXPECT_DOUBLE_EQ(parseReal(""), 0.0);
    EXPECT_DOUBLE_EQ(parseReal("3,5"), 3.0);
    EXPECT_DOUBLE_EQ(parseReal("1e-999"), 0.0);
    EXPECT_TRUE(std::isinf(parseReal("1e999")));
}

TEST(NumberText, RealsAreWrittenWithTwoDecimals)
{
    EXPECT_EQ(formatRealTwoPlaces(14.17), "14.17");
    EXPECT_EQ(formatRealTwoPlaces(5.0), "5.00");
    EXPECT_EQ(formatRealTwoPlaces(2.5), "2.50");
    EXPECT_EQ(formatRealTwoPlaces(10), "10.00");
    EXPECT_EQ(formatRealTwoPlaces(0.125), "0.12"); // exactly halfway: to even, as printf does
    EXPECT_EQ(formatRealTwoPlaces(-0.004), "-0.00");
    EXPECT_EQ(formatInteger(-2147483647 - 1), "-2147483648");
}

TEST(NumberText, FieldsReadFromTheStartAndReportTextWithoutANumber)
{
    int i = 99;
    EXPECT_TRUE(readLeadingInteger("12abc", i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(readLeadingInteger("  -3", i));
    EXPECT_EQ(i, -3);
    i = 99;
    EXPECT_FALSE(readLeadingInteger("abc", i));
    EXPECT_FALSE(readLeadingInteger("", i));
    EXPECT_FALSE(readLeadingInteger("-", i));
    EXPECT_FALSE(readLeadingInteger("99999999999", i));
    EXPECT_EQ(i, 99);
    EXPECT_TRUE(readLeadingInteger("-2147483648", i));
    EXPECT_EQ(i, -2147483647 - 1);

    double d = 7;
    EXPECT_TRUE(readLeadingReal("14.17mm", d));
    EXPECT_DOUBLE_EQ(d, 14.17);
    EXPECT_TRUE(readLeadingReal(" .5", d));
    EXPECT_DOUBLE_EQ(d, 0.5);
    d = 7;
    EXPECT_FALSE(readLeadingReal("", d));
    EXPECT_FALSE(readLeadingReal("x1", d));
    EXPECT_FALSE(readLeadingReal(".", d));
    EXPECT_DOUBLE_EQ(d, 7);
}

TEST(NumberText, RealsShownWithUpToFifteenSignificantDigits)
{
    EXPECT_EQ(formatRealShortest(5.0), "5");
    EXPECT_EQ(formatRealShortest(14.17), "14.17");
    EXPECT_EQ(formatRealShortest(14.17 + 0.01), "14.18");
    EXPECT_EQ(formatRealShortest(0.005 - 0.01), "-0.005");
    EXPECT_EQ(formatRealShortest(0.1 + 0.2), "0.3");
}
