#include "settings/placement.h"

#include <algorithm>
#include <climits>

namespace perchlet {

WindowBox mainRestoreBox(const Settings& settings, const ScreenRect& workArea, int panelWidth) {
    WindowBox box;
    box.x = settingNumber(settings.mainX);
    box.y = settingNumber(settings.mainY);
    long long width = static_cast<long long>(sizeFromSetting(settings.mainWidth, settings.mainX, workArea.right)) + panelWidth;
    box.width = width > INT_MAX ? INT_MAX : static_cast<int>(width);
    box.height = sizeFromSetting(settings.mainHeight, settings.mainY, workArea.bottom);
    return box;
}

namespace {

// Computed wide: stored positions and sizes can be near the ends of int.
long long overlapOf(long long from, long long to, long long areaFrom, long long areaTo) {
    return std::max(0LL, std::min(to, areaTo) - std::max(from, areaFrom));
}

long long gapOf(long long from, long long to, long long areaFrom, long long areaTo) {
    if (to <= areaFrom) return areaFrom - to;
    if (from >= areaTo) return from - areaTo;
    return 0;
}

long long rightOf(const WindowBox& box) { return static_cast<long long>(box.x) + std::max(box.width, 0); }
long long bottomOf(const WindowBox& box) { return static_cast<long long>(box.y) + std::max(box.height, 0); }

bool showsTitleBar(const WindowBox& box, const ScreenRect& area, int titleBarHeight) {
    long long across = overlapOf(box.x, rightOf(box), area.left, area.right);
    long long down = overlapOf(box.y, static_cast<long long>(box.y) + titleBarHeight, area.top, area.bottom);
    long long neededAcross = std::min<long long>(kGrabWidth, std::max(box.width, 1));
    long long neededDown = std::max(titleBarHeight / 2, 1);
    return across >= neededAcross && down >= neededDown;
}

long long distanceTo(const WindowBox& box, const ScreenRect& area) {
    return gapOf(box.x, rightOf(box), area.left, area.right) + gapOf(box.y, bottomOf(box), area.top, area.bottom);
}

// The start of a span of the given size placed inside [low, high), at low when it is larger.
int inside(long long start, int size, int low, int high) {
    start = std::min(start, static_cast<long long>(high) - std::max(size, 0));
    return static_cast<int>(std::max(start, static_cast<long long>(low)));
}

}  // namespace

WindowBox reachableBox(const WindowBox& box, const std::vector<ScreenRect>& workAreas, int titleBarHeight) {
    if (workAreas.empty()) return box;
    for (const ScreenRect& area : workAreas)
        if (showsTitleBar(box, area, titleBarHeight)) return box;
    const ScreenRect& nearest = *std::min_element(
        workAreas.begin(), workAreas.end(),
        [&](const ScreenRect& a, const ScreenRect& b) { return distanceTo(box, a) < distanceTo(box, b); });
    WindowBox moved = box;
    moved.x = inside(box.x, box.width, nearest.left, nearest.right);
    moved.y = inside(box.y, box.height, nearest.top, nearest.bottom);
    return moved;
}

WindowBox boxWithPanel(const WindowBox& window, int panelWidth, const ScreenRect& workArea) {
    WindowBox box = window;
    long long wanted = static_cast<long long>(window.width) + panelWidth;
    long long room = static_cast<long long>(workArea.right) - workArea.left;
    box.width = static_cast<int>(room > 0 ? std::min(wanted, room) : wanted);
    if (static_cast<long long>(box.x) + box.width > workArea.right)
        box.x = inside(box.x, box.width, workArea.left, workArea.right);
    return box;
}

namespace {

// Optional sign and decimal digits, nothing else; nothing when it is no such number or lies
// beyond the limit.
std::optional<long> wholeNumber(std::string_view text) {
    std::size_t pos = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    if (pos == text.size()) return std::nullopt;
    long value = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9') return std::nullopt;
        value = value * 10 + (text[pos] - '0');
        if (value > kPlacementLimit + 1L) return std::nullopt;
    }
    return text[0] == '-' ? -value : value;
}

}  // namespace

std::optional<std::string> placementTextProblem(std::string_view text, PlacementField field) {
    if (text.empty()) return std::nullopt;
    std::optional<long> number = wholeNumber(text);
    if (field == PlacementField::Position) {
        if (number && *number >= -kPlacementLimit - 1L && *number <= kPlacementLimit) return std::nullopt;
        return "位置には -32768 から 32767 までの整数を入力して下さい。";
    }
    if (number && *number >= 1 && *number <= kPlacementLimit) return std::nullopt;
    return "幅と高さには 1 から 32767 までの整数を入力して下さい。";
}

bool edgeTimerTick(int& edgeCounter, int cursorX, int edgeColumns) {
    if (cursorX >= edgeColumns) {
        edgeCounter = 0;
        return false;
    }
    ++edgeCounter;
    return edgeCounter > kEdgeThreshold;
}

}  // namespace perchlet
