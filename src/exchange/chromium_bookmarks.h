// The files of the Chromium family (Chrome, Edge, Brave, Vivaldi, Chromium): a profile's
// "Bookmarks" (JSON) and the "Local State" beside the profiles that names them.
#pragma once
#include <map>
#include <string>
#include <string_view>

#include "exchange/browser_bookmarks.h"

namespace perchlet {

// Reads the text of a Bookmarks file: the bar, the other bookmarks and the mobile ones, in
// that order, each with its folders and links in order. Roots that hold nothing are left out.
// Texts come out in the document's encoding, `into`.
BrowserRead readChromiumBookmarks(std::string_view json, TextEncoding into = TextEncoding::ShiftJis);

// Whether text is a JSON object with the roots of a Bookmarks file.
bool looksLikeChromiumBookmarks(std::string_view text);

// The names the user gave the profiles, by folder name ("Default", "Profile 1"), UTF-8;
// empty when the text is no Local State.
std::map<std::string, std::string> chromiumProfileNames(std::string_view localStateJson);

// Microseconds since 1601-01-01 UTC, as Chromium writes its times, to Unix seconds.
std::int64_t unixSecondsFromChromiumTime(std::int64_t microseconds);

}  // namespace perchlet
