#include <gtest/gtest.h>

#include "app/caption_fit.h"
#include "settings/screen_scale.h"

using namespace perchlet;

TEST(ScreenScale, LengthsFollowTheScale) {
    struct Case {
        int pixels, fromDpi, toDpi, expected;
    };
    const Case cases[] = {
        {264, 96, 96, 264},   {264, 96, 120, 330},  {264, 96, 144, 396}, {264, 96, 192, 528},
        {10, 96, 144, 15},    {5, 96, 120, 6},      {-7, 96, 144, -11},  {0, 96, 192, 0},
        // A window that moves from a 150 % monitor to a 100 % one and back keeps its panel's width.
        {396, 144, 96, 264},  {264, 96, 144, 396},  {331, 120, 96, 265}, {100, 0, 144, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rescaledForDpi(c.pixels, c.fromDpi, c.toDpi), c.expected) << c.pixels << " " << c.toDpi;
    EXPECT_EQ(scaledForDpi(16, 144), 24);
}

TEST(ScreenScale, PicturesAreShownAsDrawnOrShrunk) {
    EXPECT_EQ(drawnSizeFor({16, 20, 24, 32}, scaledForDpi(16, 96)), 16);
    EXPECT_EQ(drawnSizeFor({16, 20, 24, 32}, scaledForDpi(16, 120)), 20);
    EXPECT_EQ(drawnSizeFor({16, 20, 24, 32}, scaledForDpi(16, 168)), 24);
    EXPECT_EQ(drawnSizeFor({16, 20, 24, 32}, scaledForDpi(16, 288)), 32);
    EXPECT_EQ(drawnSizeFor({20, 30, 40}, 12), 20);
}

TEST(CaptionFit, TheFileNameLosesItsMiddle) {
    auto within = [](std::size_t characters) {
        return [characters](const std::wstring& text) { return text.size() <= characters; };
    };
    const std::wstring caption = L"*とても長いデータファイルの名前.dat - Perchlet";
    EXPECT_EQ(fittedCaption(caption, within(100)), caption);
    EXPECT_EQ(fittedCaption(caption, within(24)), L"*とても長いデ\u2026前.dat - Perchlet");
    EXPECT_EQ(fittedCaption(L"ab - Perchlet", within(5)), L"\u2026 - Perchlet");
    EXPECT_EQ(fittedCaption(L"名前.dat", within(4)), L"名前\u2026t");
}
