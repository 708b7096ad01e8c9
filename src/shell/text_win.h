// The one place where the program's Shift-JIS text meets the UTF-16 of the W functions.
#pragma once
#include <string>
#include <string_view>
#include <windows.h>

namespace perchlet {

std::wstring widen(std::string_view sjis);
std::string narrow(std::wstring_view text);

std::wstring windowText(HWND window);

// Typed text as document text: each run of characters Shift-JIS cannot hold becomes one
// "〓", and markedRuns says how many runs that was.
std::string narrowMarkingLost(std::wstring_view text, std::size_t& markedRuns);

}  // namespace perchlet
