#include "settings/screen_scale.h"

#include <algorithm>

namespace perchlet {

int rescaledForDpi(int pixels, int fromDpi, int toDpi) {
    if (fromDpi <= 0 || toDpi <= 0) return pixels;
    long long scaled = static_cast<long long>(pixels) * toDpi;
    long long half = fromDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / fromDpi : (scaled - half) / fromDpi);
}

int scaledForDpi(int pixels96, int dpi) { return rescaledForDpi(pixels96, kBaseDpi, dpi); }

int drawnSizeFor(std::initializer_list<int> drawnSizes, int wanted) {
    int best = 0;
    int smallest = 0;
    for (int size : drawnSizes) {
        if (smallest == 0 || size < smallest) smallest = size;
        if (size <= wanted) best = std::max(best, size);
    }
    return best != 0 ? best : smallest;
}

}  // namespace perchlet
