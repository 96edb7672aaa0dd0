#include <gtest/gtest.h>

#include "ui/ScreenFit.h"

// A laptop at 125 %: 1093 x 614 logical pixels, a task bar of 30 at the
// bottom, and a frame with a title bar.
const QRect kLaptop(0, 0, 1093, 584);
const QMargins kFrame(4, 30, 4, 4);

TEST(ScreenFit, AWindowGetsWhatItWantsWhereThereIsRoomAndTheRoomWhereThereIsNot)
{
    EXPECT_EQ(fitWindowSize({600, 500}, {200, 150}, kLaptop, kFrame), QSize(600, 500));
    // Too tall: the free height without the frame.
    EXPECT_EQ(fitWindowSize({600, 720}, {200, 150}, kLaptop, kFrame), QSize(600, 584 - 34));
    // Too wide and too tall.
    EXPECT_EQ(fitWindowSize({1400, 900}, {200, 150}, kLaptop, kFrame), QSize(1093 - 8, 584 - 34));
    // Exactly the room.
    EXPECT_EQ(fitWindowSize({1085, 550}, {200, 150}, kLaptop, kFrame), QSize(1085, 550));
    // Never below the minimum, even when that does not fit.
    EXPECT_EQ(fitWindowSize({600, 720}, {300, 600}, kLaptop, kFrame), QSize(600, 600));
    // A second screen right of the first: its own free area counts.
    EXPECT_EQ(fitWindowSize({600, 720}, {200, 150}, QRect(1093, 0, 640, 500), kFrame), QSize(600, 466));
}

TEST(ScreenFit, AWindowThatScrollsOneWayGetsRoomForTheScrollBar)
{
    // Less height than wanted: a scroll bar's width more, where there is room.
    EXPECT_EQ(fitWindowSize({600, 720}, {200, 150}, kLaptop, kFrame, 16), QSize(616, 550));
    EXPECT_EQ(fitWindowSize({1080, 720}, {200, 150}, kLaptop, kFrame, 16), QSize(1085, 550));
    // Less width than wanted: a scroll bar's height more.
    EXPECT_EQ(fitWindowSize({1200, 400}, {200, 150}, kLaptop, kFrame, 16), QSize(1085, 416));
    // Both ways: no room left for either.
    EXPECT_EQ(fitWindowSize({1200, 720}, {200, 150}, kLaptop, kFrame, 16), QSize(1085, 550));
    // Everything fits: nothing added.
    EXPECT_EQ(fitWindowSize({600, 500}, {200, 150}, kLaptop, kFrame, 16), QSize(600, 500));
}

TEST(ScreenFit, AWindowIsMovedJustEnoughToLieInTheFreeArea)
{
    const QSize frame(600, 400);
    EXPECT_EQ(fitWindowPosition({100, 50}, frame, kLaptop), QPoint(100, 50));
    EXPECT_EQ(fitWindowPosition({700, 300}, frame, kLaptop), QPoint(1093 - 600, 584 - 400));
    EXPECT_EQ(fitWindowPosition({-20, -5}, frame, kLaptop), QPoint(0, 0));
    EXPECT_EQ(fitWindowPosition({-20, 300}, frame, kLaptop), QPoint(0, 184));
    // Bigger than the area: its top left corner (title bar and menu) stays in view.
    EXPECT_EQ(fitWindowPosition({50, 50}, QSize(1200, 700), kLaptop), QPoint(0, 0));
    EXPECT_EQ(fitWindowPosition({1100, 10}, frame, QRect(1093, 0, 640, 500)), QPoint(1100, 10));
    EXPECT_EQ(fitWindowPosition({1500, 10}, frame, QRect(1093, 0, 640, 500)), QPoint(1093 + 40, 10));
}
