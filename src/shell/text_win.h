// The one place where the program's Shift-JIS text meets the UTF-16 of the W functions.
#pragma once
#include <string>
#include <string_view>
#include <windows.h>

namespace perchlet {

std::wstring widen(std::string_view sjis);
// For paths and messages: a character code page 932 cannot hold becomes '?'. Text the user
// typed for the document goes through utf16ToShiftJis instead, which marks and counts it.
std::string narrow(std::wstring_view text);
// The same characters as the portable converters take them (wchar_t is UTF-16 here).
inline std::u16string_view utf16View(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

std::wstring windowText(HWND window);

// Typed text as document text: each run of characters Shift-JIS cannot hold becomes one
// "〓", and markedRuns says how many runs that was.
std::string narrowMarkingLost(std::wstring_view text, std::size_t& markedRuns);

}  // namespace perchlet
