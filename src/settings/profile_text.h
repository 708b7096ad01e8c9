// Editing the text of an INI file the way the system's private-profile functions do, but
// on the file's own bytes: the values stay Shift-JIS whatever the system's code page.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/encoding.h"

namespace perchlet {

struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
    // A path may hold any character: such a value comes as UTF-8.
    TextEncoding encoding = TextEncoding::ShiftJis;
};

// The file text with each entry set: a key already in its section gets the new value in
// its own line; a missing key goes after the last line of its section; a missing section
// goes at the end. Names compare without regard to ASCII case, as the profile functions do.
// Every other line stays byte for byte; line ends become CR LF. A file that starts with a
// UTF-8 byte order mark keeps it and gets its values in UTF-8; a UTF-16 file (either byte
// order, with its mark or without one) stays UTF-16 in its own form. A Shift-JIS file whose
// new values Shift-JIS cannot hold becomes UTF-16 (little-endian, with its mark), which the
// profile functions read whole; otherwise it stays Shift-JIS byte for byte. A text that holds
// NUL bytes in no UTF-16 pattern is not one the program can edit: none is returned, and the
// file must be left as it is.
std::optional<std::string> setProfileValues(std::string_view fileText, const std::vector<ProfileEntry>& entries);

// Whether the profile functions read the file as Unicode (UTF-16, or UTF-8 after its mark):
// then the W functions give its values whole, whatever the system's code page.
bool isUnicodeProfileText(std::string_view fileText);

}  // namespace perchlet
