#include "dicom/TestPattern.h"

#include <algorithm>

TestPattern makeTestPattern()
{
    TestPattern image;
    image.rows = TestPattern::kSize;
    image.columns = TestPattern::kSize;
    image.pixels.assign(static_cast<std::size_t>(image.rows * image.columns), 0);
    const int half = image.rows / 2;
    const int stepWidth = image.columns / TestPattern::kWedgeSteps;
    const int fieldWidth = image.columns / 3;
    for (int row = 0; row < image.rows; ++row) {
        for (int column = 0; column < image.columns; ++column) {
            int value;
            if (row < half) {
                value = (column / stepWidth) * 255 / (TestPattern::kWedgeSteps - 1);
            } else {
                // Three fields side by side (lines 1, 2 and 4 pixels wide);
                // upright lines in the upper quarter, lines across below.
                const int width = 1 << std::min(column / fieldWidth, 2);
                const int position = row < half + half / 2 ? column : row;
                value = (position / width) % 2 ? 255 : 0;
            }
            if (row == 0 || column == 0 || row == image.rows - 1 || column == image.columns - 1)
                value = 255;
            image.pixels[static_cast<std::size_t>(row * image.columns + column)] = static_cast<std::uint8_t>(value);
        }
    }
    return image;
}
