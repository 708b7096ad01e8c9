// Telling a top-level window's browser kind from its class name and title, in UTF-16 as
// the windows give them: the titles of today's browsers carry characters that Shift-JIS
// cannot hold (Edge puts a zero-width space between "Microsoft" and "Edge").
#pragma once
#include <string>
#include <string_view>

#include "browser/browser_kind.h"

namespace perchlet {

// The kind of a window for the browser window search, or None when it is no browser's (of
// the wanted kind); kAnyBrowserKind wants any. A window whose class and title ending are a
// known browser's counts as that browser's whatever its page title says; other windows are
// told by the title texts of the kinds Ie to NotFound, tried in that order. Explorer windows
// never count.
BrowserKind browserKindOfWindow(std::u16string_view className, std::u16string_view title, BrowserKind wanted);

// The page title inside a browser window's title: the title without the browser's ending.
std::u16string pageTitleOfWindow(std::u16string_view className, std::u16string_view title);

// Whether text read from an address bar is a whole address: a scheme before the first
// '/', '?' or '#' ("https://...", "about:blank", "file:///..."). Address bars that show
// "example.com/page" leave the scheme out, and such text is not trusted.
bool isWholeAddress(std::u16string_view text);

}  // namespace perchlet
