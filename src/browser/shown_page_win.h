// The page a running browser shows, for recording it (608) and for the editor's URL取得:
// by DDE from the browsers that serve it, from the window of those that do not.
#pragma once
#include <optional>
#include <windows.h>

#include "browser/browser_state_win.h"
#include "browser/dde_reply.h"

namespace perchlet {

// The page of the browser found by the window search, confirmed by the user, its texts in
// UTF-8 so that every character the browser gave is there; nothing when it could not be
// read (the user has been told why) or the user declined.
std::optional<BrowserPage> requestShownPage(BrowserContext& browser, HWND owner);

// From a browser without DDE: the title without the browser's ending, and the address from
// its address bar. A failure is told to the user with the browser's name.
std::optional<BrowserPage> readPageFromWindow(HWND owner, HWND browser, BrowserKind kind);

// Command 608: the page a running browser shows becomes a new item under the selection.
void recordBrowserPage(BrowserContext& browser);

}  // namespace perchlet
