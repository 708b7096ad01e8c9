#include "browser/browser_window_win.h"

#include <string>

#include "browser/browser_kind.h"
#include "browser/browser_windows.h"
#include "browser/dde_client_win.h"
#include "panels/settings.h"

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

int browserKindOfWindow(HWND window, int wanted) {
    if (!IsWindowVisible(window)) return kBrowserNone;
    std::wstring title = titleOf(window);
    if (title.empty()) return kBrowserNone;
    return browserKindOfWindow(utf16(classNameOf(window)), utf16(title), wanted);
}

std::wstring pageTitleOfWindow(HWND window) {
    std::wstring className = classNameOf(window);
    std::u16string page = pageTitleOfWindow(utf16(className), utf16(titleOf(window)));
    return {page.begin(), page.end()};
}

namespace {

// The first browser window of the kind (0: any) in Z order other than the two windows.
HWND frontBrowserWindow(HWND mainWindow, HWND excluded, int kind, int& kindFound) {
    // The whole Z order from the top: the main window is passed over by name below, and a
    // browser in front of it (when it is not kept on top) is still found.
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (window == mainWindow || window == excluded) continue;
        int found = browserKindOfWindow(window, kind);
        if (found == kBrowserNone) continue;
        kindFound = found;
        return window;
    }
    return nullptr;
}

}  // namespace

HWND findBrowserWindow(App& app, HWND excluded, int kind) {
    int found = kBrowserNone;
    HWND window = frontBrowserWindow(app.mainWindow, excluded, kind, found);
    if (window) app.browser.lastKindFound = found;
    if (!window && kind == kBrowserNone) app.browser.lastKindFound = kBrowserOther;
    return window;
}

void restoreBrowserWindow(App& app) {
    if (!IsWindow(app.browser.rememberedWindow)) {
        app.browser.rememberedWindow = findBrowserWindow(app, nullptr, kBrowserNone);
        endKeptConversation(app);
    }
    HWND browser = app.browser.rememberedWindow;
    if (!browser) return;
    const RECT& main = app.recordedMainRect;
    const RECT& work = app.workArea;
    const Settings& s = app.settings;
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
    SetWindowPos(browser, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace perchlet
