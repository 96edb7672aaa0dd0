// The JSON form of the configuration in the core: export, then import gives
// the record a save of the original writes, for any file (also on Windows).
#include <gtest/gtest.h>
#include <random>

#include "SampleConfig.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigJson.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ConfigurationEditor.h"

namespace {

// The file a save of text writes, and the one that export, then import
// of it writes; false (and the editor's message) when the import refused.
bool throughJson(const std::string& text, std::string& normal, std::string& imported)
{
    Configuration original;
    ConfigReader(original).readText(text);
    normal = formatConfiguration(original);
    const std::string json = jsonText(configurationToJson(original));
    Json parsed;
    std::string message;
    if (!parseJson(json, parsed, message)) {
        imported = message + "\n" + json;
        return false;
    }
    Configuration copy;
    ConfigurationEditor editor(copy);
    if (!editor.importJson(parsed) || !editor.finish()) {
        imported = editor.error() + "\n" + json;
        return false;
    }
    imported = formatConfiguration(copy);
    return true;
}

} // namespace

TEST(ConfigJson, ExportThenImportWritesWhatASaveWritesOrRefusesAValueTheEditorRefuses)
{
    Configuration sample;
    fillSample(sample);
    std::string normal, imported;
    ASSERT_TRUE(throughJson(formatConfiguration(sample), normal, imported)) << imported;
    EXPECT_EQ(imported, normal);

    // Pieces of files as hand edits leave them: every kind of value in and
    // out of the editor's ranges, texts in both code pages, repeated
    // sections, names the reader cuts.
    const std::string pieces[] = {"[[[PRINTER]]]\n",
                                  "[[SETTINGS]]\n",
                                  "[GENERAL]\n",
                                  "Printer = 7\n",
                                  "SurpressPrinting = yes\n",
                                  "[Printer-1]\n",
                                  "[Printer-3]\n",
                                  "PrinterAETitle = LASER\n",
                                  "UseRedGraduation = maybe\n",
                                  "Description = \xe4\xfc\n",
                                  "Description = \xc3\xa4\xe2\x82\xac\n",
                                  "[[[DICOM]]]\n",
                                  "[[PRINTER]]\n",
                                  "[Label]\n",
                                  "Text = a \"quoted\" \\ text\n",
                                  "LabelSize = -3\n",
                                  "[General]\n",
                                  "Manufacturer = Other\n",
                                  "[[SESSION]]\n",
                                  "Copies = 0\n",
                                  "Priority = urgent\n",
                                  "MediumType = film\n",
                                  "[[TCPIP]]\n",
                                  "[Server]\n",
                                  "Port = 99999999999\n",
                                  "[[[CONFIGURATION]]]\n",
                                  "[[PAGE SIZE]]\n",
                                  "[A4]\n",
                                  "[]\n",
                                  "[ spaced ]\n",
                                  "[a]b]\n",
                                  "SizeX = 12abc\n",
                                  "OffsetY = -2147483648\n",
                                  "[[[HEADER]]]\n",
                                  "[[STANDARD]]\n",
                                  "[LOGO]\n",
                                  "IncludeFile = C:\\x.bmp\n",
                                  "[[[LAYOUTS]]]\n",
                                  "[Defaults]\n",
                                  "BorderDensity = grey\n",
                                  "EmptyImageDensity = 300\n",
                                  "Orientation = landscape\n",
                                  "PageSize = A4\n",
                                  "ImageDistance = 14.175\n",
                                  "TrimWidth = -1e300\n",
                                  "TrimWidth = 0.005\n",
                                  "ImageDistance = 1234567890123456.78\n",
                                  "ImageDistance = nan\n"};
    std::mt19937 rng(26);
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int i = std::uniform_int_distribution<int>(0, 40)(rng); i > 0; --i)
            text += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
        if (!throughJson(text, normal, imported)) {
            // A value the editor refuses, named by its field.
            ASSERT_NE(imported.find(": wants "), std::string::npos) << text << "\n" << imported;
            ++refused;
            continue;
        }
        ASSERT_EQ(imported, normal) << text;
    }
    // Both ways are taken.
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, 400);
}
