// Small readings of Shift-JIS text that several floors share: a decimal number as the panels
// and the settings file give it, and the name part of a path.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace perchlet {

// Decimal text as the panels give it: blanks, a sign, digits up to the first non-digit.
std::int32_t decimalValue(std::string_view text);

// The name and extension of a path (after its last \ / or :).
std::string fileNameOf(const std::string& path);
// The name without folder and extension, as the backup copy is named.
std::string baseNameOf(const std::string& path);

}  // namespace perchlet
