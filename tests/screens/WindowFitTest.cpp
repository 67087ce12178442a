#include <gtest/gtest.h>

#include "screens/WindowFit.h"

TEST(WindowFit, TheWindowAndItsFrameStayInTheWorkArea)
{
    struct Case {
        const char* why;
        WindowFit::Area workArea;
        WindowFit::Edges frame;
        WindowFit::Area want;
    };
    const Case cases[] = {
        {"exactly the game's size: nothing to shrink", {0, 0, 1600, 900}, {}, {0, 0, 1600, 900}},
        {"a taskbar and a title bar leave room: game size, centred below the title bar",
         {0, 0, 1920, 1040}, {1, 31, 1, 1}, {160, 85, 1600, 900}},
        {"1366 x 768: the height limits, 768 * 16 / 9 rounds down", {0, 0, 1366, 768}, {}, {0, 0, 1365, 768}},
        {"a laptop with a taskbar: the title bar's 31 rows come off the height too",
         {0, 0, 1366, 728}, {1, 31, 1, 1}, {64, 31, 1237, 696}},
        {"a narrow screen right of another, below a panel: the width limits, centred vertically",
         {1920, 27, 1024, 1280}, {}, {1920, 379, 1024, 576}},
        {"one column short is already too small", {0, 0, 1599, 900}, {}, {0, 0, 1599, 899}},
        {"no work area known: the game's size", {0, 0, 0, 0}, {}, {0, 0, 1600, 900}},
    };
    for (const Case& c : cases) {
        const WindowFit::Area got = WindowFit::Fitted(c.workArea, c.frame);
        EXPECT_TRUE(got.x == c.want.x && got.y == c.want.y && got.width == c.want.width &&
                    got.height == c.want.height)
            << c.why << ": got " << got.width << "x" << got.height << " at (" << got.x << "," << got.y
            << "), want " << c.want.width << "x" << c.want.height << " at (" << c.want.x << "," << c.want.y << ")";
    }
}
