#include "browser/browser_window_win.h"

#include <string>

#include "browser/browser_kind.h"
#include "browser/browser_windows.h"
#include "browser/dde_client_win.h"

namespace perchlet {

namespace {

std::u16string_view utf16(const std::wstring& text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

std::wstring classNameOf(HWND window) {
    wchar_t className[256] = L"";
    GetClassNameW(window, className, 256);
    return className;
}

std::wstring titleOf(HWND window) {
    wchar_t title[1024] = L"";
    GetWindowTextW(window, title, 1024);
    return title;
}

}  // namespace

BrowserKind browserKindOfWindow(HWND window, BrowserKind wanted) {
    if (!IsWindowVisible(window)) return BrowserKind::None;
    std::wstring title = titleOf(window);
    if (title.empty()) return BrowserKind::None;
    return browserKindOfWindow(utf16(classNameOf(window)), utf16(title), wanted);
}

std::wstring pageTitleOfWindow(HWND window) {
    std::wstring className = classNameOf(window);
    std::u16string page = pageTitleOfWindow(utf16(className), utf16(titleOf(window)));
    return {page.begin(), page.end()};
}

namespace {

// The first browser window of the kind (or any) in Z order other than the two windows.
HWND frontBrowserWindow(HWND mainWindow, HWND excluded, BrowserKind kind, BrowserKind& kindFound) {
    // The whole Z order from the top: the main window is passed over by name below, and a
    // browser in front of it (when it is not kept on top) is still found.
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (window == mainWindow || window == excluded) continue;
        BrowserKind found = browserKindOfWindow(window, kind);
        if (found == BrowserKind::None) continue;
        kindFound = found;
        return window;
    }
    return nullptr;
}

}  // namespace

HWND findBrowserWindow(BrowserContext& browser, HWND excluded, BrowserKind kind) {
    BrowserKind found = BrowserKind::None;
    HWND window = frontBrowserWindow(browser.workspace.mainWindow, excluded, kind, found);
    if (window) browser.state.lastKindFound = found;
    // Nothing found is then asked for as any other program is: by "IEXPLORE".
    if (!window && kind == kAnyBrowserKind) browser.state.lastKindFound = BrowserKind::Other;
    return window;
}

void restoreBrowserWindow(BrowserContext& browser) {
    if (!IsWindow(browser.state.rememberedWindow)) {
        browser.state.rememberedWindow = findBrowserWindow(browser, nullptr, kAnyBrowserKind);
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
