#include "browser/browser_window_win.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "browser/browser_kind.h"
#include "browser/dde_client_win.h"

namespace perchlet {

namespace {

// The kind whose title text the title carries; for kind 0 the first of kinds 1-8.
int matchingKind(const wchar_t* title, int kind) {
    auto carries = [title](int k) {
        const char* text = windowTitleText(k);
        if (!text) return false;
        std::wstring wide(text, text + std::strlen(text));  // the title texts are ASCII
        return std::wcsstr(title, wide.c_str()) != nullptr;
    };
    if (kind != kBrowserNone) return carries(kind) ? kind : kBrowserNone;
    for (int k = kBrowserIe; k <= kBrowserNotFound; ++k)
        if (carries(k)) return k;
    return kBrowserNone;
}

}  // namespace

HWND findBrowserWindow(BrowserContext& browser, HWND excluded, int kind) {
    // The whole Z order from the top: the main window is passed over by name below, and a
    // browser in front of it (when it is not kept on top) is still found.
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window) || window == browser.workspace.mainWindow || window == excluded) continue;
        wchar_t title[1024] = L"";
        if (GetWindowTextW(window, title, 1024) <= 0) continue;
        int found = matchingKind(title, kind);
        if (found == kBrowserNone) continue;
        wchar_t className[256] = L"";
        GetClassNameW(window, className, 256);
        if (std::wcscmp(className, L"ExploreWClass") == 0) continue;  // Explorer, not the browser
        browser.state.lastKindFound = found;
        return window;
    }
    if (kind == kBrowserNone) browser.state.lastKindFound = kBrowserOther;
    return nullptr;
}

void restoreBrowserWindow(BrowserContext& browser) {
    if (!IsWindow(browser.state.rememberedWindow)) {
        browser.state.rememberedWindow = findBrowserWindow(browser, nullptr, kBrowserNone);
        endKeptConversation(browser);
    }
    HWND window = browser.state.rememberedWindow;
    if (!window) return;
    const RECT& main = browser.recordedMainRect;
    const RECT& work = browser.workArea;
    const Settings& s = browser.settings;
    int x, y, width, height;
    switch (s.alignment) {
    case 1:  // to the right of the main window
        x = main.right, y = main.top, width = work.right - main.right, height = main.bottom - main.top;
        break;
    case 2:  // to the left
        x = work.left, y = main.top, width = main.left - work.left, height = main.bottom - main.top;
        break;
    default:
        x = settingNumber(s.browserX);
        y = settingNumber(s.browserY);
        width = sizeFromSetting(s.browserWidth, s.browserX, work.right);
        height = sizeFromSetting(s.browserHeight, s.browserY, work.bottom);
        break;
    }
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace perchlet
