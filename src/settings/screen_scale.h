// Lengths on screens of different scales. The program's built-in lengths are drawn for a
// 96-DPI screen (100 %) and scaled to the DPI of the monitor the window is on.
#pragma once
#include <initializer_list>

namespace perchlet {

constexpr int kBaseDpi = 96;

// A length drawn for 96 DPI, at dpi (rounded to the nearest pixel).
int scaledForDpi(int pixels96, int dpi);

// A length the window has at one DPI, at another: what a window keeps when it moves to a
// monitor of another scale.
int rescaledForDpi(int pixels, int fromDpi, int toDpi);

// Of the sizes a picture is drawn in, the largest that is no bigger than the wanted size
// (the smallest when all are bigger): a picture is shrunk or shown as drawn, never blown up.
int drawnSizeFor(std::initializer_list<int> drawnSizes, int wanted);

}  // namespace perchlet
