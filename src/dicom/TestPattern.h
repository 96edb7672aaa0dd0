#pragma once

#include <cstdint>
#include <vector>

// The image of the test film: 8-bit MONOCHROME2 (0 black, 255 white), rows
// of columns pixels, row by row.
struct TestPattern {
    static constexpr int kSize = 512;
    static constexpr int kWedgeSteps = 16;

    int rows = 0;
    int columns = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int row, int column) const { return pixels[static_cast<std::size_t>(row * columns + column)]; }
};

// A grey wedge of kWedgeSteps steps from black to white across the upper
// half, so that contrast can be judged, and below it fields of black and
// white lines 1, 2 and 4 pixels wide, upright and across, for resolution;
// framed by a one-pixel white line so that cropping shows.
TestPattern makeTestPattern();
