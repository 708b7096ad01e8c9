#include <gtest/gtest.h>

#include "app/panel_scroll.h"

using namespace perchlet;

TEST(PanelScroll, StepsStayWithinTheRange) {
    EXPECT_EQ(panelScrollStep(ScrollRequest::LineUp, 0, 0), 0);
    EXPECT_EQ(panelScrollStep(ScrollRequest::PageUp, 5, 0), -1);
    EXPECT_EQ(panelScrollStep(ScrollRequest::LineDown, 68, 0), 1);
    EXPECT_EQ(panelScrollStep(ScrollRequest::PageDown, 69, 0), 0);
    EXPECT_EQ(panelScrollStep(ScrollRequest::ThumbTrack, 10, 40), 30);
    EXPECT_EQ(panelScrollStep(ScrollRequest::ThumbPosition, 10, 40), 0);
    EXPECT_EQ(panelScrollStep(ScrollRequest::Top, 12, 0), -12);
    EXPECT_EQ(panelScrollStep(ScrollRequest::Bottom, 12, 0), 58);
    EXPECT_EQ(panelScrollPage(false, 0), 80);
    EXPECT_EQ(panelScrollPage(true, 709), 70);
}
