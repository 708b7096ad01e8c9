#include <gtest/gtest.h>

#include <climits>

#include "settings/placement.h"

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

TEST(Placement, AWindowWhoseTitleBarIsOnNoWorkAreaComesBackToTheNearest) {
    struct Case {
        const char* name;
        WindowBox box;
        WindowBox expected;
    };
    const std::vector<ScreenRect> screens{{0, 0, 1280, 994}, {1280, 0, 2560, 1024}};
    const std::vector<ScreenRect> one{{0, 0, 1280, 994}};
    const int title = 20;
    const Case cases[] = {
        {"on the first", {100, 30, 300, 500}, {100, 30, 300, 500}},
        {"on the second", {2000, 30, 300, 500}, {2000, 30, 300, 500}},
        {"across both", {1200, 30, 300, 500}, {1200, 30, 300, 500}},
        {"grab width left at the right", {1180, 30, 300, 500}, {1180, 30, 300, 500}},
        {"grab width left at the left", {-200, 30, 300, 500}, {-200, 30, 300, 500}},
        {"half the title bar under the bottom", {100, 984, 300, 500}, {100, 984, 300, 500}},
        {"taller than the area stays", {100, 0, 300, 5000}, {100, 0, 300, 5000}},
        {"beyond the second screen", {3000, 30, 300, 500}, {2260, 30, 300, 500}},
        {"below the second screen", {2000, 1100, 300, 500}, {2000, 524, 300, 500}},
        {"less than the grab width left", {-250, 30, 300, 500}, {0, 30, 300, 500}},
        {"title bar above the top", {100, -15, 300, 500}, {100, 0, 300, 500}},
        {"huge", {INT_MAX, INT_MAX, 300, 500}, {2260, 524, 300, 500}},
        {"huge negative", {INT_MIN, INT_MIN, 300, 500}, {0, 0, 300, 500}},
        {"wider than any area: its left edge in", {5000, 30, 4000, 500}, {1280, 30, 4000, 500}},
        {"no size", {3000, 30, 0, 0}, {2560, 30, 0, 0}},
    };
    for (const Case& c : cases) {
        WindowBox box = reachableBox(c.box, screens, title);
        EXPECT_EQ(std::vector<int>({box.x, box.y, box.width, box.height}),
                  std::vector<int>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}))
            << c.name;
    }
    WindowBox alone = reachableBox({3000, 30, 300, 500}, one, title);
    EXPECT_EQ(std::vector<int>({alone.x, alone.y}), std::vector<int>({980, 30}));
    WindowBox none = reachableBox({3000, 30, 300, 500}, {}, title);
    EXPECT_EQ(none.x, 3000);  // nothing known about the screens: left as it is
}

TEST(Placement, APanelOpensInsideTheWorkArea) {
    struct Case {
        const char* name;
        WindowBox window;
        int panel;
        WindowBox expected;
    };
    const ScreenRect work{0, 0, 1280, 994};
    const Case cases[] = {
        {"fits", {100, 30, 300, 500}, 290, {100, 30, 590, 500}},
        {"just fits", {100, 30, 890, 500}, 290, {100, 30, 1180, 500}},
        {"moves left", {500, 30, 600, 500}, 290, {390, 30, 890, 500}},
        {"MAX width: the whole work area", {100, 30, 1180, 500}, 290, {0, 30, 1280, 500}},
        {"partly off at the left and fits stays", {-50, 30, 300, 500}, 290, {-50, 30, 590, 500}},
        {"on a screen further right", {1500, 30, 300, 500}, 290, {690, 30, 590, 500}},
    };
    for (const Case& c : cases) {
        WindowBox box = boxWithPanel(c.window, c.panel, work);
        EXPECT_EQ(std::vector<int>({box.x, box.y, box.width, box.height}),
                  std::vector<int>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}))
            << c.name;
    }
}

TEST(Placement, ThePanelSavesOnlyPositionsAndSizesAWindowCanHave) {
    struct Row {
        const char* text;
        bool position, size;  // accepted as each
    } rows[] = {
        {"", true, true},          {"264", true, true},        {"+3", true, true},
        {"-8", true, false},       {"0", true, false},         {"-5", true, false},
        {"32767", true, true},     {"32768", false, false},    {"-32768", true, false},
        {"-32769", false, false},  {"999999999", false, false}, {"0x7ffffff", false, false},
        {"12abc", false, false},   {" 5", false, false},       {"-", false, false},
        {"99999999999999999999", false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(!placementTextProblem(row.text, PlacementField::Position), row.position) << row.text;
        EXPECT_EQ(!placementTextProblem(row.text, PlacementField::Size), row.size) << row.text;
    }
}
