#include <gtest/gtest.h>

#include "app/panel_scroll.h"

using namespace perchlet;

// A panel 1,000 pixels tall shown in 400 (steps of 10): 100 steps, 40 on the page.
static const PanelScrollRange kTall = panelScrollRange(true, 1000, 400, 10);

TEST(PanelScroll, StepsStayWithinTheRange) {
    EXPECT_EQ(kTall.maximum, 99);
    EXPECT_EQ(kTall.page, 40);
    EXPECT_EQ(kTall.lastPosition(), 60);
    EXPECT_EQ(panelScrollStep(ScrollRequest::LineUp, 0, 0, kTall), 0);
    EXPECT_EQ(panelScrollStep(ScrollRequest::PageUp, 5, 0, kTall), -1);
    EXPECT_EQ(panelScrollStep(ScrollRequest::LineDown, 59, 0, kTall), 1);
    EXPECT_EQ(panelScrollStep(ScrollRequest::PageDown, 60, 0, kTall), 0);
    EXPECT_EQ(panelScrollStep(ScrollRequest::ThumbTrack, 10, 40, kTall), 30);
    EXPECT_EQ(panelScrollStep(ScrollRequest::ThumbPosition, 10, 40, kTall), 0);
    EXPECT_EQ(panelScrollStep(ScrollRequest::Top, 12, 0, kTall), -12);
    EXPECT_EQ(panelScrollStep(ScrollRequest::Bottom, 12, 0, kTall), 48);
    EXPECT_EQ(panelWheelStep(-120, 0, kTall), 3);
    EXPECT_EQ(panelWheelStep(240, 4, kTall), -4);
    EXPECT_EQ(panelWheelStep(-120, 59, kTall), 1);
}

// The bar shows exactly while the panel is taller than what shows of it; at 200 % a panel
// twice as tall in steps twice as long reaches as far as at 100 %.
TEST(PanelScroll, TheRangeReachesThePanelsLowestControl) {
    struct Case {
        bool open;
        int content, client, step;
        bool barShows;
        int lastPosition;
    };
    const Case cases[] = {
        {false, 0, 0, 10, false, 0},         {true, 640, 700, 10, false, 0},
        {true, 640, 480, 10, true, 16},      {true, 1280, 480, 20, true, 40},
        {true, 2000, 690, 20, true, 66},
    };
    for (const Case& c : cases) {
        PanelScrollRange range = panelScrollRange(c.open, c.content, c.client, c.step);
        EXPECT_EQ(range.page <= range.maximum, c.barShows) << c.content << " in " << c.client;
        EXPECT_EQ(range.lastPosition(), c.lastPosition) << c.content << " in " << c.client;
        // At the last position the lowest pixel of the panel shows.
        EXPECT_GE((range.lastPosition() + range.page) * c.step + c.client % c.step, c.open ? c.content : 0);
    }
}
