// DDE with running browsers.
#pragma once
#include <string>
#include <string_view>
#include <windows.h>
#include <ddeml.h>

#include "browser/browser_state_win.h"

namespace perchlet {

// Asks the browser serving the DDE service for the page it shows ("WWW_GetWindowInfo"),
// confirms the reply with the user, and returns it; "" on failure or when declined.
std::string requestWindowInfo(BrowserContext& browser, HWND owner, const char* service);

// A conversation on "WWW_OpenURL" in the program's own instance (made on first use);
// nullptr when the browser does not answer or DDE cannot start.
HCONV connectForOpening(BrowserContext& browser, HWND owner, const char* service);
// Sends the address; false only when the browser said it did not process it, or when the
// item is too long for DDE to carry at all.
bool requestOpenUrl(BrowserContext& browser, std::string_view address, HCONV conversation);
void disconnectConversation(HCONV conversation);
// One address to the service on "WWW_OpenURL", through the kept conversation when it is with
// that service, else through a conversation of its own; false when it did not get there.
bool sendOpenUrl(BrowserContext& browser, HWND owner, const char* service, std::string_view address);
// Whether a conversation with the service on "WWW_OpenURL" can be opened now.
bool probeBrowser(HWND owner, const char* service);

// Disconnects and forgets the kept conversation.
void endKeptConversation(BrowserContext& browser);
// At exit: the kept conversation and the program's instance.
void endBrowserDde(BrowserContext& browser);

}  // namespace perchlet
