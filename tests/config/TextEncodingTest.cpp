#include <gtest/gtest.h>
#include <string>

#include "TestSupport.h"
#include "config/Configuration.h"
#include "config/TextEncoding.h"

namespace {

TextEncoding detect(std::initializer_list<std::string_view> chunks)
{
    EncodingDetector detector;
    for (std::string_view chunk : chunks)
        detector.feed(chunk);
    return detector.encoding();
}

} // namespace

TEST(TextEncoding, UnicodeOnlyWhenEveryNonAsciiByteFormsValidUtf8)
{
    EXPECT_EQ(detect({"plain ASCII = yes\r\n"}), TextEncoding::Windows1252);
    EXPECT_EQ(detect({"Drucker f\xc3\xbcr Station 1"}), TextEncoding::Utf8);
    EXPECT_EQ(detect({"Drucker f\xfcr Station 1"}), TextEncoding::Windows1252);
    // A character cut by the chunk boundary of the file read.
    EXPECT_EQ(detect({"f\xe2\x82", "\xac"}), TextEncoding::Utf8);
    EXPECT_EQ(detect({"f\xf0\x9f", "\x96", "\xa8 ok"}), TextEncoding::Utf8);
    // Overlong forms, surrogates, beyond U+10FFFF, a lone continuation, a
    // sequence cut off at the end of the file: not UTF-8.
    for (std::string_view bad : {"\xc0\x80", "\xe0\x80\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\x80", "ok \xc3"})
        EXPECT_EQ(detect({"\xc3\xbc", bad}), TextEncoding::Windows1252) << bad;
    // Once broken, later valid text does not mend it.
    EXPECT_EQ(detect({"\xfc", "\xc3\xbc"}), TextEncoding::Windows1252);
}

// ASCII is skipped many bytes at a time: a non-ASCII byte is seen wherever
// it stands in such a run, and in whichever chunk.
TEST(TextEncoding, NonAsciiIsSeenAtEveryPlaceOfAnAsciiRun)
{
    struct Row {
        std::string_view character;
        TextEncoding expected;
    };
    const Row rows[] = {{"\xc3\xbc", TextEncoding::Utf8},
                        {"\xfc", TextEncoding::Windows1252},
                        {"\xe2\x82\xac", TextEncoding::Utf8},
                        {"\xe2\x82", TextEncoding::Windows1252}};
    for (const Row& row : rows)
        for (std::size_t at = 0; at < 40; ++at) {
            const std::string text = std::string(at, 'a') + std::string(row.character) + std::string(40, 'b');
            EXPECT_EQ(detect({text}), row.expected) << at;
            EXPECT_EQ(detect({std::string_view(text).substr(0, at + 1), std::string_view(text).substr(at + 1)}),
                      row.expected)
                << at;
        }
}

TEST(TextEncoding, EveryWindows1252ByteSurvivesDecodingAndEncoding)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = windows1252ToUtf8(all);
    std::string back;
    ASSERT_TRUE(utf8ToWindows1252(utf8, back));
    EXPECT_EQ(back, all);

    EXPECT_EQ(windows1252ToUtf8("f\xfcr \x80 \x9f"), "f\xc3\xbcr \xe2\x82\xac \xc5\xb8");
    ASSERT_TRUE(utf8ToWindows1252("Gr\xc3\xb6\xc3\x9f"
                                  "e \xe2\x80\x93 5 \xe2\x82\xac",
                                  back));
    EXPECT_EQ(back, "Gr\xf6\xdf"
                    "e \x96 5 \x80");
}

TEST(TextEncoding, ACharacterWithoutAByteIsNamedNotReplaced)
{
    std::string out;
    std::string bad;
    EXPECT_FALSE(utf8ToWindows1252("Raum \xce\xa9 3", out, &bad)); // Greek capital omega
    EXPECT_EQ(bad, "\xce\xa9");
    EXPECT_FALSE(utf8ToWindows1252("\xe6\x97\xa5", out, &bad));
    EXPECT_EQ(bad, "\xe6\x97\xa5");
}

TEST(TextEncoding, TheReaderTellsTheEncodingOfTheFileItRead)
{
    TempDir dir;
    const std::string legacy = dir.file("legacy.cfg");
    writeBytes(legacy, "[[[DICOM]]]\r\n[[PRINTER]]\r\n[General]\r\nPrinterName = Drucker f\xfcr Station 1\r\n");
    Configuration config;
    std::string message;
    ASSERT_TRUE(config.loadFromFile(legacy, message)) << message;
    EXPECT_EQ(config.Encoding, TextEncoding::Windows1252);
    EXPECT_EQ(config.PrinterName, "Drucker f\xfcr Station 1");

    const std::string unicode = dir.file("unicode.cfg");
    writeBytes(unicode, "[[[DICOM]]]\r\n[[PRINTER]]\r\n[General]\r\nPrinterName = Drucker f\xc3\xbcr Station 1\r\n");
    ASSERT_TRUE(config.loadFromFile(unicode, message)) << message;
    EXPECT_EQ(config.Encoding, TextEncoding::Utf8);
}

TEST(TextEncoding, BytesOfUnknownEncodingBecomeValidUtf8KeepingEveryValidSequence)
{
    EXPECT_EQ(utf8WithLatin1Fallback("a\"b\\c\r\n\t\x01\x7f"), "a\"b\\c\r\n\t\x01\x7f");
    EXPECT_EQ(utf8WithLatin1Fallback("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x96\xa8"),
              "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x96\xa8");
    // Bytes that are no UTF-8 are Latin-1: an overlong form, a lone
    // continuation, a cut sequence, a surrogate.
    EXPECT_EQ(utf8WithLatin1Fallback("\xc0\xaf|\x80|\xe2\x82|\xed\xa0\x80"),
              "\xc3\x80\xc2\xaf|\xc2\x80|\xc3\xa2\xc2\x82|\xc3\xad\xc2\xa0\xc2\x80");
}
