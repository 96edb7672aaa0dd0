#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>

#include "SampleConfig.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigKeys.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"

namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool isInteger(const std::string& text)
{
    std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// Another value of the same syntax, so that a reader that takes the key must
// give it back changed.
std::string otherValue(const std::string& value)
{
    static const std::map<std::string, std::string> words = {{"YES", "NO"},
                                                             {"NO", "YES"},
                                                             {"LOW", "HIGH"},
                                                             {"MED", "LOW"},
                                                             {"HIGH", "MED"},
                                                             {"PAPER", "FILM"},
                                                             {"FILM", "PAPER"},
                                                             {"MAGAZINE", "PROCESSOR"},
                                                             {"PROCESSOR", "MAGAZINE"},
                                                             {"PORTRAIT", "LANDSCAPE"},
                                                             {"LANDSCAPE", "PORTRAIT"}};
    if (const auto word = words.find(value); word != words.end())
        return word->second;
    if (isInteger(value))
        return std::to_string(std::stoll(value) + 1);
    const std::size_t point = value.find('.');
    if (point != std::string::npos && isInteger(value.substr(0, point)) && isInteger(value.substr(point + 1)))
        return "1" + value; // a real: still two decimals
    return value + "x";
}

std::string rewrite(const std::string& text, Configuration& record)
{
    ConfigReader(record).readText(text);
    return formatConfiguration(record);
}

} // namespace

// Derived from the writer's output alone, not from the key tables: each key
// line the writer writes, given another value and spelt in lower case, must
// come back from a read and a write with that value. A key the writer writes
// and the reader ignores fails here by name, in every kind of section.
TEST(KeyTable, EveryKeyTheWriterWritesIsReadBackInAnyCase)
{
    Configuration sample;
    fillSample(sample);
    const std::string original = formatConfiguration(sample);
    const std::vector<std::string> lines = splitLines(original);

    std::set<std::string> keptByWriter;
    int keyLines = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t eq = lines[i].find(" = ");
        if (lines[i].empty() || lines[i][0] == ';' || lines[i][0] == '[' || eq == std::string::npos)
            continue;
        ++keyLines;
        const std::string key = lines[i].substr(0, eq);
        const std::string value = otherValue(lines[i].substr(eq + 3));

        std::vector<std::string> changed = lines;
        changed[i] = lower(key) + " = " + value;
        std::vector<std::string> expected = lines;
        expected[i] = key + " = " + value;

        Configuration back;
        const std::string rewritten = rewrite(joinLines(changed), back);
        if (rewritten == original) {
            // Read, but the writer writes its own value for it.
            keptByWriter.insert(key);
            if (key == "Printer") {
                EXPECT_EQ(back.Printer, std::stoi(value));
            }
            if (key == "Manufacturer") {
                EXPECT_EQ(back.Manufacturer, value);
            }
            continue;
        }
        const std::vector<std::string> rewrittenLines = splitLines(rewritten);
        ASSERT_EQ(rewrittenLines.size(), lines.size()) << "line " << i + 1 << ": " << lines[i];
        EXPECT_EQ(rewrittenLines[i], expected[i]) << "line " << i + 1 << " of the writer's output";
        EXPECT_TRUE(rewritten == joinLines(expected)) << "line " << i + 1 << ": " << lines[i];
    }
    EXPECT_EQ(keptByWriter, (std::set<std::string>{"Printer", "Manufacturer"}));
    // 4 + 2 * 14 printer keys, 44 DICOM keys, 3 * 9 paper keys, 2 header keys, 8 layout keys.
    EXPECT_EQ(keyLines, 4 + 2 * 14 + 26 + 3 * 9 + 2 + 8);
}

namespace {

template <typename Record> std::string fieldText(const KeyDef<Record>& def, const Record& record)
{
    std::ostringstream text;
    switch (def.type) {
    case KeyType::Text:
        text << record.*def.text;
        break;
    case KeyType::Integer:
    case KeyType::Word:
        text << record.*def.number;
        break;
    case KeyType::Real:
        text << record.*def.real;
        break;
    case KeyType::YesNo:
        text << record.*def.flag;
        break;
    }
    return text.str();
}

// Gives the field of def a value that differs from the one it holds and from
// every other field's.
template <typename Record> void setOtherValue(const KeyDef<Record>& def, Record& record, int serial)
{
    switch (def.type) {
    case KeyType::Text:
        record.*def.text = "value " + std::to_string(serial);
        break;
    case KeyType::Integer:
        record.*def.number = 1000 + serial;
        break;
    case KeyType::Real:
        record.*def.real = serial + 0.25;
        break;
    case KeyType::YesNo:
        record.*def.flag = !(record.*def.flag);
        break;
    case KeyType::Word:
        record.*def.number = record.*def.number == 1 ? 0 : 1;
        break;
    }
}

// Every key the writer writes from its field, for one record of each kind.
class EveryWrittenKey {
  public:
    template <typename Visit> static void walk(Configuration& config, Visit visit)
    {
        for (const SectionDef& section : fileSections()) {
            switch (section.kind) {
            case SectionKind::Settings:
                each(section.settingsKeys, config, visit);
                break;
            case SectionKind::Layout:
                each(section.layoutKeys, config.Layout, visit);
                break;
            case SectionKind::Printers:
                each(printerKeys(), *config.Printers.at(0), visit);
                break;
            case SectionKind::Papers:
                each(paperKeys(), *config.Papers.begin(), visit);
                break;
            case SectionKind::Headers:
                each(headerKeys(), *config.Headers.begin(), visit);
                break;
            }
        }
    }

  private:
    template <typename Record, typename Visit>
    static void each(std::span<const KeyDef<Record>> keys, Record& record, Visit& visit)
    {
        for (const KeyDef<Record>& def : keys)
            if (!def.readOnly && !def.written)
                visit(def, record);
    }
};

void addOneOfEach(Configuration& config)
{
    config.Printers.add(PrinterRecord{});
    PaperRecord paper;
    paper.Name = "P";
    config.Papers.add(paper);
    config.Headers.add(HeaderRecord{"H", ""});
}

} // namespace

// Driven by the key tables: every field a table names, set to a value of its
// own, is written and read back into that field, and differs from what a
// fresh record holds. Two keys bound to one field fail here.
TEST(KeyTable, EveryFieldOfTheTablesSurvivesAWriteAndARead)
{
    Configuration fresh, changed;
    addOneOfEach(fresh);
    addOneOfEach(changed);
    // Each value is noted as it is set: a later key bound to the same field
    // overwrites it, and the field then no longer holds the noted value.
    std::vector<std::string> expected, read, initial;
    int serial = 0;
    EveryWrittenKey::walk(changed, [&serial, &expected](const auto& def, auto& record) {
        setOtherValue(def, record, ++serial);
        expected.push_back(std::string(def.key) + "=" + fieldText(def, record));
    });

    Configuration back;
    ConfigReader(back).readText(formatConfiguration(changed));
    ASSERT_EQ(back.Printers.size(), 1);

    EveryWrittenKey::walk(back, [&read](const auto& def, auto& record) {
        read.push_back(std::string(def.key) + "=" + fieldText(def, record));
    });
    EveryWrittenKey::walk(fresh, [&initial](const auto& def, auto& record) {
        initial.push_back(std::string(def.key) + "=" + fieldText(def, record));
    });
    EXPECT_EQ(read, expected);
    ASSERT_EQ(initial.size(), expected.size());
    for (std::size_t i = 0; i < initial.size(); ++i)
        EXPECT_NE(initial[i], expected[i]);
}

TEST(KeyTable, OnlyTheOldSpellingIsReadWithoutBeingWritten)
{
    std::vector<std::string> readOnly;
    for (const SectionDef& section : fileSections())
        for (const KeyDef<Configuration>& def : section.settingsKeys)
            if (def.readOnly) {
                readOnly.emplace_back(def.key);
                EXPECT_EQ(def.flag, &Configuration::SuppressPrinting);
            }
    EXPECT_EQ(readOnly, std::vector<std::string>{"SurpressPrinting"});
}
