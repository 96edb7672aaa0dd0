// The editor's value rules come from the key table: for every key with a
// rule, quarvel-cfg set and JSON merges (ConfigurationEditor) refuse just
// outside it and take just inside, whatever the key; import takes what a
// file may hold. The GUI side of the same rows is in tests/pages and
// tests/wizard (DicomPageTest, WizardTest).

#include <algorithm>
#include <gtest/gtest.h>
#include <span>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/CfgTool.h"
#include "config/ConfigFields.h"
#include "config/ConfigJson.h"
#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/ConfigurationEditor.h"

namespace {

// A key of the tables with the path that sets it (a record of the test's own
// for the lists) and its rule.
struct RuledKey {
    std::string path;
    std::string field; // the name in a JSON object
    KeyType type;
    const ValueRule* rule;
    const WordList* words;
};

template <typename Record>
void collect(std::span<const KeyDef<Record>> keys, const std::string& prefix, std::vector<RuledKey>& found)
{
    for (const KeyDef<Record>& def : keys)
        if (!def.readOnly && !def.written)
            found.push_back({prefix + std::string(def.key), std::string(def.key), def.type, &def.rule, def.words});
}

std::vector<RuledKey> everyKey()
{
    std::vector<RuledKey> found;
    for (const SectionDef& section : fileSections()) {
        if (section.kind == SectionKind::Settings)
            collect(section.settingsKeys, "", found);
        if (section.kind == SectionKind::Layout)
            collect(section.layoutKeys, "Layout.", found);
    }
    collect(printerKeys(), "Printers[LASER1].", found);
    collect(paperKeys(), "Papers[A4].", found);
    collect(headerKeys(), "Headers[LOGO].", found);
    return found;
}

// Sets path to value with a fresh editor on a fresh configuration; the
// editor's error, or "" and the value as the file writes it.
std::string set(const std::string& path, const std::string& value, std::string* written = nullptr)
{
    Configuration config;
    ConfigurationEditor editor(config);
    if (!editor.setPaths({path + "=" + value}))
        return editor.error();
    if (written)
        valueAtPath(config, path, *written);
    return "";
}

// The JSON object that gives field the value, at the settings' level, under
// Layout or in a list entry, as path says.
Json objectFor(const RuledKey& key, const Json& value)
{
    Json entry = Json::object();
    entry[key.field] = value;
    if (key.path.rfind("Layout.", 0) == 0)
        return Json{{"Layout", entry}};
    for (const auto& [list, keyField, name] :
         {std::tuple{"Printers", "PrinterAETitle", "LASER1"}, std::tuple{"Papers", "Name", "A4"},
          std::tuple{"Headers", "Name", "LOGO"}})
        if (key.path.rfind(std::string(list) + "[", 0) == 0) {
            if (key.field != keyField)
                entry[keyField] = name;
            return Json{{list, Json::array({entry})}};
        }
    return entry;
}

std::string merge(const Json& json, bool import = false)
{
    Configuration config;
    ConfigurationEditor editor(config);
    if (!(import ? editor.importJson(json) : editor.mergeJson(json)))
        return editor.error();
    return "";
}

} // namespace

TEST(ValueRules, EveryRangeOfTheTableIsWhatTheEditorAcceptsForItsKey)
{
    std::vector<std::string> bounded;
    for (const RuledKey& key : everyKey()) {
        if (!key.rule->accepted)
            continue;
        ASSERT_EQ(key.type, KeyType::Integer) << key.path;
        bounded.push_back(key.field);
        const auto [low, high] = *key.rule->accepted;
        const std::string wants =
            key.path + ": wants an integer from " + std::to_string(low) + " to " + std::to_string(high);
        // Typed, as quarvel-cfg set and the Ansible module's strings take it.
        for (const long long outside : {static_cast<long long>(low) - 1, static_cast<long long>(high) + 1})
            EXPECT_EQ(set(key.path, std::to_string(outside)), wants + " (got '" + std::to_string(outside) + "')");
        for (const int inside : {low, high}) {
            std::string written;
            EXPECT_EQ(set(key.path, std::to_string(inside), &written), "") << key.path;
            EXPECT_EQ(written, std::to_string(inside)) << key.path;
        }
        // As JSON numbers, by a merge and by an import alike.
        const long long above = static_cast<long long>(high) + 1;
        EXPECT_EQ(merge(objectFor(key, above)), wants + " (got " + std::to_string(above) + ")");
        EXPECT_EQ(merge(objectFor(key, high)), "") << key.path;
        EXPECT_EQ(merge(objectFor(key, above), true), wants + " (got " + std::to_string(above) + ")") << key.path;
    }
    // The rows the editor has always bounded are among them.
    EXPECT_NE(std::find(bounded.begin(), bounded.end(), "Copies"), bounded.end());
    EXPECT_NE(std::find(bounded.begin(), bounded.end(), "Port"), bounded.end());

    // An integer without a rule takes any 32-bit value.
    for (const RuledKey& key : everyKey())
        if (key.type == KeyType::Integer && !key.rule->accepted) {
            EXPECT_EQ(set(key.path, "-2147483648"), "") << key.path;
            EXPECT_EQ(set(key.path, "2147483648"),
                      key.path + ": wants an integer from -2147483648 to 2147483647 (got '2147483648')");
        }
}

TEST(ValueRules, EveryDensityAndWordListOfTheTableIsWhatTheEditorAccepts)
{
    int densities = 0, vocabularies = 0;
    for (const RuledKey& key : everyKey()) {
        std::string written;
        if (key.rule->density) {
            ++densities;
            EXPECT_EQ(set(key.path, "white", &written), "") << key.path;
            EXPECT_EQ(written, "WHITE");
            EXPECT_EQ(set(key.path, "40", &written), "") << key.path;
            EXPECT_EQ(written, "40");
            EXPECT_EQ(set(key.path, "grey"), key.path + ": wants BLACK, WHITE or an integer (got 'grey')");
            // Import keeps to the same words.
            EXPECT_EQ(merge(objectFor(key, "grey"), true), key.path + ": wants BLACK, WHITE or an integer (got 'grey')")
                << key.path;
        } else if (key.type == KeyType::Text) {
            EXPECT_EQ(set(key.path, "grey"), "") << key.path;
        }
        if (key.type == KeyType::Word) {
            ++vocabularies;
            std::string list;
            for (const std::string& word : vocabularyWords(*key.words)) {
                EXPECT_EQ(set(key.path, word, &written), "") << key.path;
                EXPECT_EQ(written, word);
            }
            const std::string refused = set(key.path, "NONE");
            EXPECT_EQ(refused.rfind(key.path + ": wants one of ", 0), 0u) << refused;
        }
    }
    EXPECT_EQ(densities, 2);    // BorderDensity, EmptyImageDensity
    EXPECT_EQ(vocabularies, 4); // Priority, MediumType, Destination, Orientation
}

TEST(ValueRules, TheGuiFindsEachRuleByItsField)
{
    // The pages and the wizard look rules up by the record field they bind;
    // each finds the row of its own key.
    EXPECT_EQ(keyOf(&DicomSettings::Port)->key, "Port");
    EXPECT_EQ(keyOf(&Configuration::Copies)->key, "Copies");
    EXPECT_EQ(keyOf(&PageLabelSettings::PositionY)->key, "PositionY");
    EXPECT_EQ(keyOf(&LayoutRecord::EmptyImageDensity)->key, "EmptyImageDensity");
    EXPECT_EQ(keyOf(&PaperRecord::OffsetX)->key, "OffsetX");
    // The old spelling shares its field with the key; the key is found.
    EXPECT_EQ(keyOf(&Configuration::SuppressPrinting)->key, "SuppressPrinting");
    EXPECT_EQ(keyOf(&PaperRecord::Name), nullptr);
    EXPECT_EQ(&ruleOf(&DicomSettings::Port), &keyOf(&DicomSettings::Port)->rule);
    EXPECT_FALSE(ruleOf(&PaperRecord::Name).accepted);
}

TEST(ValueRules, TheHelpOfSetNamesEachRangeAsTheTableHasIt)
{
    // The help is prose written by hand; it must not drift from the table.
    std::ostringstream out, err;
    ASSERT_EQ(runCfgTool({"set", "--help"}, out, err), 0) << err.str();
    std::string help = out.str();
    std::replace(help.begin(), help.end(), '\n', ' ');
    int ranges = 0;
    for (const RuledKey& key : everyKey()) {
        if (key.rule->accepted) {
            const std::string range = key.field + " " + std::to_string(key.rule->accepted->low) + " to " +
                                      std::to_string(key.rule->accepted->high);
            EXPECT_NE(help.find(range), std::string::npos) << range;
            ++ranges;
        }
        if (key.rule->acceptedReal) {
            std::ostringstream range;
            range << key.field << " " << key.rule->acceptedReal->low << " to " << key.rule->acceptedReal->high;
            EXPECT_NE(help.find(range.str()), std::string::npos) << range.str();
            ++ranges;
        }
    }
    EXPECT_EQ(ranges, 8); // Copies, Port, a paper's sizes and margins, ImageDistance, TrimWidth
}
