// Names compared as Windows' file systems compare them: each UTF-16 unit upper-cased by one
// fixed table, as NTFS does, so "ａｂｃ.url" and "ＡＢＣ.url" are one file there.
#pragma once
#include <string>
#include <string_view>

namespace perchlet {

// The capital that a Windows file system takes a character for; itself when it has none.
// Covers the one-to-one case pairs of the Basic Multilingual Plane (Latin, Greek, Cyrillic,
// Armenian, Georgian, full-width forms, Roman numerals, circled letters, ...).
char16_t fileSystemUpperCase(char16_t c);

// name with every unit upper-cased: equal keys are one name on Windows.
std::u16string fileSystemNameKey(std::u16string_view name);

}  // namespace perchlet
