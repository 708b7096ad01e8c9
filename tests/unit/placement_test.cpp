#include <gtest/gtest.h>

#include <climits>

#include "app/placement.h"

using namespace perchlet;

TEST(Placement, RestoreBoxFollowsTheSettingsMaxAndTheOpenPanel) {
    struct Case {
        const char *x, *y, *width, *height;
        int panel;
        WindowBox expected;
    };
    const ScreenRect work{0, 0, 1280, 994};
    const Case cases[] = {
        {"10", "20", "300", "700", 0, {10, 20, 300, 700}},
        {"100", "0", "MAX", "800", 0, {100, 0, 1180, 800}},
        {"100", "50", "MAX", "MAX", 0, {100, 50, 1180, 944}},
        {"10", "20", "300", "700", 290, {10, 20, 590, 700}},
        {"100", "0", "MAX", "800", 290, {100, 0, 1470, 800}},
        {"", "", "", "", 0, {0, 0, 0, 0}},          // no settings read
        {"-50", "-20", "max", "99999", 0, {-50, -20, 0, 99999}},  // "MAX" only in capitals
        {"2000", "0", "MAX", "10", 0, {2000, 0, -720, 10}},    // passed on; the system's minimum applies
        {"-99999999999", "0", "MAX", "10", 290, {INT_MIN, 0, INT_MAX, 10}},  // far out: no overflow
    };
    for (const Case& c : cases) {
        Settings s;
        s.mainX = c.x;
        s.mainY = c.y;
        s.mainWidth = c.width;
        s.mainHeight = c.height;
        WindowBox box = mainRestoreBox(s, work, c.panel);
        EXPECT_EQ(box.x, c.expected.x) << c.x;
        EXPECT_EQ(box.y, c.expected.y) << c.y;
        EXPECT_EQ(box.width, c.expected.width) << c.width << " panel " << c.panel;
        EXPECT_EQ(box.height, c.expected.height) << c.height;
    }
}

TEST(Placement, EdgeTimerShowsOnTheThirdConsecutiveTickLeftOfFive) {
    struct Case {
        const char* name;
        std::vector<int> xs;
        int showsAtTick;  // 0-based, -1 never
    };
    const Case cases[] = {
        {"held at 4", {4, 4, 4, 4}, 2},
        {"held at 0", {0, 0, 0}, 2},
        {"screen further left", {-300, -1, -5}, 2},
        {"held at 5 never", {5, 5, 5, 5, 5, 5}, -1},
        {"leaving between ticks starts again", {4, 4, 5, 4, 4, 4}, 5},
        {"far right", {900, 900, 900}, -1},
    };
    for (const Case& c : cases) {
        int counter = 0;
        int shown = -1;
        for (std::size_t i = 0; i < c.xs.size() && shown < 0; ++i)
            if (edgeTimerTick(counter, c.xs[i])) shown = static_cast<int>(i);
        EXPECT_EQ(shown, c.showsAtTick) << c.name;
    }
}
