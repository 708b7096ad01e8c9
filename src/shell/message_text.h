// The text of a message box made to fit the screen: a long line, such as a path, breaks
// onto several lines, and a text longer than a few lines keeps its beginning and end with
// "…" between them.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace perchlet {

// In columns: a full-width character takes two, as it does on the screen.
constexpr std::size_t kMessageLineColumns = 80;
// The lines one line of the text may become; what is longer is shortened.
constexpr std::size_t kMessageLinesPerLine = 4;
// The lines a whole message may have.
constexpr std::size_t kMessageLinesMax = 30;
// A caption stays on its one line.
constexpr std::size_t kCaptionColumns = 100;

std::u16string fitMessageText(std::u16string_view text);
std::u16string fitCaption(std::u16string_view caption);

}  // namespace perchlet
