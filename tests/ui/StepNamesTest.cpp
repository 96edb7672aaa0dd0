// What a screen reader says of a number field's arrows.
#include <gtest/gtest.h>

#include "ui/UpDownButtons.h"

TEST(UpDownButtons, ArrowsNameTheirFieldInASentencesCase)
{
    const struct {
        const char* field;
        const char* stepped;
    } rows[] = {
        {"Copies:", "copies"},
        {"Image Distance:", "image distance"},
        {"Font Size  (pt):", "font size (pt)"},
        {" Font size (pt) ", "font size (pt)"},
        {"AE Title:", "AE title"},
        {"DPI:", "DPI"},
        {"x", "x"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(UpDownButtons::steppedName(QString::fromLatin1(row.field)).toStdString(), row.stepped) << row.field;
}
