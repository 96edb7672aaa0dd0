#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "config/FieldText.h"
#include "config/Records.h"

namespace {

// Every way a text comes into a FieldText and goes from one to another
// keeps its bytes, its size and the NUL after it, at each side of the
// boundary between a text kept in place and one on the heap.
TEST(FieldText, KeepsEveryTextWhereverItLives)
{
    struct Row {
        const char* name;
        std::string text;
        bool inlineKept;
    };
    const Row rows[] = {
        {"empty", "", true},
        {"one byte", "A", true},
        {"address of 15 bytes", "192.168.100.100", true},
        {"AE title of 16 bytes", "PRINTER_ROOM_123", false},
        {"long path", "C:\\ZELNOR\\curves\\gray-graduation-room-12.lut", false},
        {"NUL and high bytes", std::string("a\0b\xe9\xff", 5), true},
        {"long with NUL", std::string(20, 'x') + std::string(1, '\0') + "y", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const FieldText text(row.text);
        EXPECT_EQ(text.isInline(), row.inlineKept);
        EXPECT_EQ(text.size(), row.text.size());
        EXPECT_EQ(std::string(text), row.text);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(text.c_str()[text.size()], '\0');

        FieldText copy = text;
        EXPECT_EQ(copy, text);
        EXPECT_NE(copy.data(), text.data()) << "a copy owns its bytes";
        FieldText moved = std::move(copy);
        EXPECT_EQ(moved, row.text);
        EXPECT_TRUE(copy.empty()); // NOLINT(bugprone-use-after-move): a moved-from text is empty

        // Assignments across the boundary, and from a part of itself.
        for (const std::string& other : {std::string("short"), std::string(40, 'L'), std::string()}) {
            FieldText changed = text;
            changed = other;
            EXPECT_EQ(changed, other);
            EXPECT_EQ(changed.c_str()[changed.size()], '\0');
            changed = row.text;
            EXPECT_EQ(changed, text);
        }
        FieldText self = text;
        self.assign(self.view().substr(self.size() / 2));
        EXPECT_EQ(self, row.text.substr(row.text.size() / 2));

        EXPECT_EQ(text < FieldText("~"), row.text < "~");
        EXPECT_EQ("[" + text + "]", "[" + row.text + "]");
    }
}

TEST(FieldText, ListRecordsAreLean)
{
    // The records a file holds a million of: half of what std::string made them.
    EXPECT_LE(sizeof(PaperRecord), 88u);
    EXPECT_LE(sizeof(HeaderRecord), 32u);
    EXPECT_LE(sizeof(PrinterRecord), 152u);
}

} // namespace
