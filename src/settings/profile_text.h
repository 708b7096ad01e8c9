// Editing the text of an INI file the way the system's private-profile functions do, but
// on the file's own bytes: the values stay Shift-JIS whatever the system's code page.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace perchlet {

struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;  // Shift-JIS
};

// The file text with each entry set: a key already in its section gets the new value in
// its own line; a missing key goes after the last line of its section; a missing section
// goes at the end. Names compare without regard to ASCII case, as the profile functions do.
// Every other line stays byte for byte; line ends become CR LF. A file that starts with a
// UTF-8 byte order mark keeps it and gets its values in UTF-8; a UTF-16 file (either byte
// order, with its mark or without one) stays UTF-16 in its own form. A text that holds NUL
// bytes in no UTF-16 pattern is not one the program can edit: none is returned, and the
// file must be left as it is.
std::optional<std::string> setProfileValues(std::string_view fileText, const std::vector<ProfileEntry>& entries);

}  // namespace perchlet
