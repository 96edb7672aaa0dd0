#include <gtest/gtest.h>
#include <random>

#include "SampleConfig.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"

namespace {

// Reads text into a fresh record and writes it again.
std::string Rewrite(const std::string& text)
{
    CConfiguration c;
    ConfigReader(c).ReadText(text);
    return FormatConfiguration(c);
}

class RandomRecords {
  public:
    explicit RandomRecords(unsigned seed) : m_rng(seed) {}

    // Texts the format can carry: no leading or trailing blank, no tab, CR or LF.
    std::string Text(bool name = false)
    {
        static const std::string alphabet = "abcXYZ09 =;[]-_.\\/#<>\xe4\xfc";
        std::string text;
        const int length = Pick(0, 12);
        for (int i = 0; i < length; ++i)
            text += alphabet[static_cast<std::size_t>(Pick(0, static_cast<int>(alphabet.size()) - 1))];
        while (!text.empty() && text.front() == ' ')
            text.erase(0, 1);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        if (name) {
            std::erase(text, ']');
            while (!text.empty() && text.front() == '[')
                text.erase(0, 1);
        }
        return text;
    }
    int Int() { return Pick(0, 3) == 0 ? Pick(-2147483647 - 1, 2147483647) : Pick(-50, 2000); }
    bool Flag() { return Pick(0, 1) == 1; }
    double Real() { return std::uniform_real_distribution<double>(-1000, 1000)(m_rng); }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

    void Fill(CConfiguration& c)
    {
        for (int i = Pick(0, 4); i > 0; --i) {
            sPrinter p;
            p.Description = Text();
            p.PrinterAETitle = Text();
            p.PrinterAddress = Text();
            p.PrinterQueue = Text();
            p.UseGrayGraduation = Flag();
            p.UseColorGraduation = Flag();
            p.UseRedGraduation = Flag();
            p.UseGreenGraduation = Flag();
            p.UseBlueGraduation = Flag();
            p.GrayGraduationFile = Text();
            p.BlueGraduationFile = Text();
            c.Printers.Add(p);
        }
        for (int i = Pick(0, 4); i > 0; --i) {
            sPaper p;
            p.Name = Text(true) + "#" + std::to_string(i); // distinct names
            p.Description = Text();
            p.PaperLabel = Text();
            p.HeaderName = Text();
            p.SizeX = Int();
            p.SizeY = Int();
            p.SkipX = Int();
            p.OffsetY = Int();
            c.Papers.Add(p);
        }
        for (int i = Pick(0, 3); i > 0; --i)
            c.Headers.Add(sHeader{Text(true) + "#" + std::to_string(i), Text()});
        c.SuppressPrinting = Flag();
        c.UseCMYK = Flag();
        c.SkipImagePixel = Flag();
        c.Copies = Int();
        c.Priority = Pick(-1, 3);
        c.MediumType = Pick(0, 2);
        c.Destination = Pick(0, 2);
        c.Port = Int();
        c.ServerAETitle = Text();
        c.Text = Text();
        c.Layout.TrimWidth = Real();
        c.Layout.ImageDistance = Real();
        c.Layout.PageSize = Text();
        c.Layout.BorderDensity = Text();
    }

  private:
    std::mt19937 m_rng;
};

} // namespace

TEST(RoundTrip, HandBuiltRecordReadsBackToTheSameBytes)
{
    CConfiguration c;
    FillSample(c);
    const std::string first = FormatConfiguration(c);
    EXPECT_EQ(Rewrite(first), first);

    CConfiguration fresh;
    EXPECT_EQ(Rewrite(FormatConfiguration(fresh)), FormatConfiguration(fresh));
}

TEST(RoundTrip, RandomRecordsReadBackToTheSameBytes)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomRecords random(seed);
        CConfiguration c;
        random.Fill(c);
        const std::string first = FormatConfiguration(c);
        ASSERT_EQ(Rewrite(first), first) << "seed " << seed;
    }
}

TEST(RoundTrip, ArbitraryInputIsStableAfterOneWrite)
{
    std::mt19937 rng(7);
    const std::string pieces[] = {"[[[PRINTER]]]\n",
                                  "[[SETTINGS]]\n",
                                  "[Printer-2]\n",
                                  "[[[CONFIGURATION]]]\n",
                                  "[[PAGE SIZE]]\n",
                                  "[A4\r]\n",
                                  "[A4]\n",
                                  "[ a]\n",
                                  "[[[HEADER]]]\n",
                                  "[[STANDARD]]\n",
                                  "Description = \t x \n",
                                  "SizeX = 9\n",
                                  "\r\n",
                                  "[]\n",
                                  "IncludeFile=\r\n",
                                  "[\tB]\n",
                                  "=\n",
                                  "[[[LAYOUTS]]]\n",
                                  "[General]\n",
                                  "TrimWidth = 0.125\n",
                                  "ImageDistance = nan\n",
                                  "ImageDistance = -1e400\n"};
    for (int round = 0; round < 400; ++round) {
        std::string input;
        for (int i = std::uniform_int_distribution<int>(0, 30)(rng); i > 0; --i)
            input += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
        const std::string first = Rewrite(input);
        ASSERT_EQ(Rewrite(first), first) << input;
    }
}

TEST(RoundTrip, BlanksAndTabsAtTheEdgesOfValuesAreLost)
{
    CConfiguration c;
    c.Text = "  padded\t";
    c.PrinterName = "a = b; c";
    CConfiguration back;
    ConfigReader(back).ReadText(FormatConfiguration(c));
    EXPECT_EQ(back.Text, "padded");
    EXPECT_EQ(back.PrinterName, "a = b; c");
}

TEST(RoundTrip, CarriageReturnsInsideHeadersAreDroppedBeforeTheLevelIsCounted)
{
    // Found by the fuzzer: "[\r[[X" once gave a level-1 name "[[X", written
    // as a level-3 header and so lost on the next read.
    const std::string input = "[[[HEADER]]]\n[[STANDARD]]\n[A\rB]\nIncludeFile = b\n[\r[[X]\n[Y]\nIncludeFile = c\n";
    CConfiguration c;
    ConfigReader(c).ReadText(input);
    ASSERT_EQ(c.Headers.GetCount(), 1); // "[\r[[X]" is a level-3 header: Y is no header bitmap
    EXPECT_EQ(c.Headers.begin()->Name, "AB");
    const std::string first = Rewrite(input);
    EXPECT_EQ(Rewrite(first), first);
}
