// ConfigReader reads the same records, findings and saved bytes for every
// kind of line whatever the size of the chunks it reads the file in (sizes
// that put line ends on every kind of boundary), and the same record from
// the text in one piece; the chunks it hands on are the file.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ReaderFindings.h"

namespace {

// Everything a reading leaves behind, as text: its outcome, the chunks it
// handed on, the fields the writer does not write (the saved bytes hold
// every other field, texts byte for byte), the findings with their lines
// and sources, the warnings about the record, and the saved bytes.
std::string outcomeOf(const Configuration& config, const ReaderFindings* findings)
{
    std::string text = "Manufacturer " + config.Manufacturer + "\nPrinter " + std::to_string(config.Printer) +
                       "\nEncoding " + std::to_string(static_cast<int>(config.Encoding)) + "\n";
    if (findings) {
        std::vector<Finding> all = findings->all();
        for (const Finding& f : findReferenceWarnings(config, *findings))
            all.push_back(f);
        for (const Finding& f : all)
            text += std::to_string(f.line) + "+" + std::to_string(f.lines) + " " + findingKindName(f.kind) + " " +
                    f.text + " <" + f.source + ">\n";
    }
    return text + "--- saved\n" + formatConfiguration(config);
}

std::string readInChunks(const std::string& path, std::size_t chunkSize)
{
    Configuration config;
    ReaderFindings findings;
    std::string message, chunks;
    const bool read =
        ConfigReader(config, &findings).readFile(path, message, chunkSize, [&chunks](std::string_view chunk) {
            chunks += chunk;
        });
    return std::to_string(read) + " " + message + "\n--- chunks\n" + chunks + "\n" + outcomeOf(config, &findings);
}

std::string readInOnePiece(std::string_view text)
{
    Configuration config;
    ConfigReader(config).readText(text);
    return outcomeOf(config, nullptr);
}

std::string recordRead(const std::string& path)
{
    Configuration config;
    std::string message;
    ConfigReader(config).readFile(path, message);
    return outcomeOf(config, nullptr);
}

// '=' and a tab or CR at each position of a line's first words, so that the
// eight-byte scan meets them in every place of a word and after it.
std::string shiftedKeyLines()
{
    std::string text = "[[[DICOM]]]\r\n[[TCPIP]]\r\n[Server]\r\n";
    for (std::size_t at = 0; at < 20; ++at) {
        text += std::string(at, ' ') + "Port=" + std::to_string(100 + at) + "\r\n";
        text += "ServerAETitle" + std::string(at, ' ') + "=" + std::string(at, 'T') + "\r\n";
        text += std::string(at, 'x') + "\tPort =" + std::string(at, ' ') + "7\r\n";
        text += "Port " + std::string(at, ' ') + "\r= 8" + std::string(at, '\t') + "\r\n";
        text += std::string(at, ' ') + "Port\x01" + std::string(at, ' ') + "= 9\x1f\r\n";
    }
    return text;
}

} // namespace

TEST(ReaderChunks, EveryChunkSizeReadsEveryKindOfLineAlike)
{
    const std::string rows[] = {
        "",
        "\r\n\n\r",
        // Headers: levels, CRs inside, four brackets, no closing bracket,
        // a printer without number, a section met again.
        "[[[DICOM]]]\n[[TCPIP]]\n[Ser\rver]\r\nPort = 4242\r\n[[[[x]]]]\n[[PRINTER]\r\n[Label\n\r\nText=a\r",
        "[[[PRINTER]]]\r\n[[SETTINGS]]\r\n[Printer-x]\r\nPrinterQueue = q\r\n[printer-3]\r\nPrinterQueue=r\r\n"
        "[Printer-1]\r\nPrinterAETitle = A\r\n[Printer-1]\r\nPrinterAETitle = B\r\n[Printer-2147483648]\r\nX=1\r\n",
        // Paper and header sections: repeats, unknown and repeated keys,
        // replaced values, sections without key lines, a missing header.
        "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n[A4]\n; note\nColour = red\nSizeX = 595pt\nSizeX = 596\n[A4]\n"
        "SizeY = 842\n[Empty]\n[B5]\nHeaderName = NONE\n=\n= value\nnothing here\n"
        "[[[HEADER]]]\n[[STANDARD]]\n[H1]\nIncludeFile = h.bmp\n[H1]\nIncludeFile = i.bmp\n",
        // Key lines before any header, unknown sections, written values.
        "Port = 1\n[[[NOWHERE]]]\n[[X]]\n[Y]\na = b\n[[[DICOM]]]\n[[PRINTER]]\n[Settings]\nManufacturer = me\n"
        "Printer = 5\nPrinter = x\nCopies = 1000000000000\nUseCMYK = maybe\n",
        // 8-bit texts: Windows-1252, UTF-8, and UTF-8 cut in a sequence.
        "[[[DICOM]]]\n[[PRINTER]]\n[Label]\nText = Caf\xe9 \x80\n",
        "[[[DICOM]]]\n[[PRINTER]]\n[Label]\nText = Caf\xc3\xa9 \xe2\x82\xac\n",
        "[[[DICOM]]]\n[[PRINTER]]\n[Label]\nText = \xe2\x82\n",
        // A line longer than any chunk, a last line without line end.
        "[[[LAYOUTS]]]\n[[STANDARD]]\n[Defaults]\nDescription = " + std::string(3000, 'd') + "\t\r\nPageSize = A4",
        shiftedKeyLines(),
        readBytes(goldenPath("sample.cfg")),
        readBytes(goldenPath("fresh.cfg")),
    };
    TempDir dir;
    const std::string path = dir.file("in.cfg");
    for (const std::string& text : rows) {
        writeBytes(path, text);
        const std::string whole = readInChunks(path, ConfigReader::kChunkSize);
        EXPECT_NE(whole.find("\n--- chunks\n" + text + "\n"), std::string::npos) << "the chunks are the file";
        for (const std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(8)})
            EXPECT_EQ(readInChunks(path, chunk), whole) << "chunk " << chunk << " of\n" << text.substr(0, 300);
        EXPECT_EQ(readInOnePiece(text), recordRead(path)) << text.substr(0, 300);
    }
}

TEST(ReaderChunks, EveryChunkSizeFailsAlikeOnWhatIsNoFile)
{
    TempDir dir;
    for (const std::string& path : {dir.file("missing.cfg"), dir.path(), std::string("/dev/null")})
        EXPECT_EQ(readInChunks(path, 1), readInChunks(path, ConfigReader::kChunkSize)) << path;
}
