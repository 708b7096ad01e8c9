// Every window at the scale Wine runs at (LogPixels 96, 120, 144 or 192, set before the test
// program starts): nothing cut off, nothing on top of anything else, no text wider than its
// control, and the pictures and rows at least as large as the scale asks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "main_window_fixture.h"
#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// What the tree and the toolbar measure at 100 %.
constexpr int kTreeItemHeight96 = 18;
constexpr int kIconSize96 = 16;
constexpr SIZE kToolbarButton96 = {35, 26};

RECT rectIn(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring className(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

bool isGroupBox(HWND window) {
    return className(window) == L"Button" && (GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::vector<HWND> visibleChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) children.push_back(child);
    return children;
}

// The room a control's text takes in its own font, with what the control draws beside it.
SIZE textRoom(HWND control, RECT within) {
    std::wstring text = windowText(control);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    LONG style = static_cast<LONG>(GetWindowLongPtrW(control, GWL_STYLE));
    bool wraps = className(control) == L"Static" && (within.bottom - within.top) >= 2 * 12 * dpiOfWindow(control) / 96;
    RECT room{0, 0, wraps ? within.right - within.left : 0, 0};
    DrawTextW(dc, text.c_str(), -1, &room, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    int extra = 0;
    if (className(control) == L"Button") {
        LONG type = style & BS_TYPEMASK;
        bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
        extra = box ? systemMetricForDpi(SM_CXMENUCHECK, dpiOfWindow(control)) + 3 : scaledForWindow(control, 8);
    }
    return {room.right - room.left + extra, room.bottom - room.top};
}

// The three checks on one window: every visible child inside `reach` (the client area, or
// as far as the panel scrolls), no two overlapping unless one is a group box around the
// other, and no text wider (or, wrapped, taller) than its control.
void expectLaidOut(HWND window, const RECT& reach) {
    std::vector<HWND> children = visibleChildren(window);
    for (HWND child : children) {
        RECT rect = rectIn(window, child);
        std::wstring text = windowText(child);
        SCOPED_TRACE(narrow(text) + " (" + std::to_string(GetDlgCtrlID(child)) + ")");
        EXPECT_TRUE(contains(reach, rect)) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
        std::wstring kind = className(child);
        bool picture = kind == L"Static" && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (!text.empty() && !picture && (kind == L"Static" || kind == L"Button")) {
            SIZE room = textRoom(child, rect);
            EXPECT_LE(room.cx, rect.right - rect.left);
            EXPECT_LE(room.cy, rect.bottom - rect.top);
        }
        for (HWND other : children) {
            if (other <= child) continue;
            RECT otherRect = rectIn(window, other), overlap{};
            if (!IntersectRect(&overlap, &rect, &otherRect)) continue;
            bool grouped = (isGroupBox(child) && contains(rect, otherRect)) || (isGroupBox(other) && contains(otherRect, rect));
            EXPECT_TRUE(grouped) << "overlaps " << narrow(windowText(other)) << " (" << GetDlgCtrlID(other) << ")";
        }
    }
}

RECT clientOf(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A screenshot of the screen's top-left, where the windows are, for the artifacts folder.
void saveScreenshot(const char* name) {
    const char* folder = std::getenv("PERCHLET_SCALE_ARTIFACTS");
    if (!folder) return;
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + rowBytes * static_cast<DWORD>(height);
    std::string path = std::string(folder) + "/" + name + "_" + std::to_string(systemDpi()) + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, rowBytes, static_cast<std::size_t>(height), out);
        std::fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

class Scale : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
        command(CMD_NEW_DOCUMENT);
        add(add(app().document.tree.firstTopLevel(), "とても長い名前のフォルダ"), "リンク", "https://example.com/");
        openWholeTree();
        pumpMessages(50);
    }
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages(50);
    }
    // The scale Wine was set to, read apart from the program's own reading of it.
    int dpi() {
        HDC screen = GetDC(nullptr);
        int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return dpi;
    }
    int atScale(int pixels96) { return pixels96 * dpi() / 96; }  // rounded down

    // A docked panel: inside the panel's width, below its top before scrolling and above
    // its bottom once scrolled down as far as the scroll bar goes, which shows while the
    // panel is taller than the window.
    void expectPanelLaidOut(const PanelState& panel) {
        RECT client = clientOf(panel.window);
        expectLaidOut(panel.window, {0, 0, client.right, LONG_MAX / 2});
        bool barShows = (GetWindowLongPtrW(mainWindow(), GWL_STYLE) & WS_VSCROLL) != 0;
        EXPECT_EQ(barShows, panel.contentHeight > client.bottom) << panel.contentHeight << " in " << client.bottom;
        SendMessageW(mainWindow(), WM_VSCROLL, SB_BOTTOM, 0);
        pumpMessages();
        expectLaidOut(panel.window, {0, LONG_MIN / 2, client.right, client.bottom});
        SendMessageW(mainWindow(), WM_VSCROLL, SB_TOP, 0);
        pumpMessages();
    }
};

}  // namespace

TEST_F(Scale, TreeAndToolbarGrowWithTheScale) {
    if (const char* asked = std::getenv("PERCHLET_LOG_PIXELS")) {
        ASSERT_EQ(dpi(), std::atoi(asked));
    }
    HWND tree = treeWindow();
    EXPECT_GE(TreeView_GetItemHeight(tree), atScale(kTreeItemHeight96));
    int width = 0, height = 0;
    ImageList_GetIconSize(TreeView_GetImageList(tree, TVSIL_NORMAL), &width, &height);
    EXPECT_GE(width, atScale(kIconSize96));
    EXPECT_GE(height, atScale(kIconSize96));
    DWORD button = static_cast<DWORD>(SendMessageW(app().toolbar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_GE(LOWORD(button), atScale(kToolbarButton96.cx));
    EXPECT_GE(HIWORD(button), atScale(kToolbarButton96.cy));
    // The menu bar stays on one row, the toolbar's buttons in the window.
    HMENU menu = GetMenu(mainWindow());
    RECT first{}, last{};
    GetMenuItemRect(mainWindow(), menu, 0, &first);
    GetMenuItemRect(mainWindow(), menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), &last);
    EXPECT_EQ(last.top, first.top);
    expectLaidOut(mainWindow(), clientOf(mainWindow()));
    expectLaidOut(app().toolbar, clientOf(app().toolbar));
    // A file name too long for the title bar loses its middle there; the window's text stays whole.
    const std::wstring caption = L"*とても長い名前のデータファイル_2026年12月版_バックアップ用.dat - Perchlet";
    SetWindowTextW(mainWindow(), caption.c_str());
    wchar_t shown[256] = L"";
    InternalGetWindowText(mainWindow(), shown, 256);
    std::wstring drawn = shown;
    EXPECT_NE(drawn.find(L"\u2026"), std::wstring::npos);
    EXPECT_EQ(drawn.substr(0, 3), L"*とて");
    EXPECT_EQ(drawn.substr(drawn.size() - 15), L".dat - Perchlet");
    EXPECT_TRUE(windowText(mainWindow()) == caption);
}

TEST_F(Scale, PanelsFindWindowAndDialogsFitTheirText) {
    command(CMD_EDITOR_PANEL);
    ASSERT_TRUE(app().panels.editor.open);
    {
        SCOPED_TRACE("editor panel");
        expectPanelLaidOut(app().panels.editor);
    }
    command(CMD_FIND);
    ASSERT_NE(app().search.findWindow, nullptr);
    {
        SCOPED_TRACE("find window");
        expectLaidOut(app().search.findWindow, clientOf(app().search.findWindow));
    }
    saveScreenshot("editor_panel");
    SendMessageW(app().search.findWindow, WM_CLOSE, 0, 0);
    command(CMD_OPTIONS_PANEL);
    ASSERT_TRUE(app().panels.options.open);
    {
        SCOPED_TRACE("options panel");
        expectPanelLaidOut(app().panels.options);
    }
    saveScreenshot("options_panel");
    for (const wchar_t* name : {L"MYABOUT", L"MYGETTITLE", L"MYCHECK", L"MYWAIT", L"MYBROWSERS"}) {
        SCOPED_TRACE(narrow(name));
        HWND dialog = createDialogInMessageFont(app().instance, name, mainWindow(), plainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        pumpMessages();
        expectLaidOut(dialog, clientOf(dialog));
        DestroyWindow(dialog);
    }
}

// Windows sends the new scale when the window moves to another monitor; Wine never does,
// so the message is sent here as Windows would send it.
TEST_F(Scale, MovingToAMonitorOfAnotherScaleRescalesThePictures) {
    int newDpi = dpi() * 3 / 2;
    RECT suggested{10, 20, 10 + 500, 20 + 800};
    SendMessageW(mainWindow(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
    pumpMessages();
    RECT placed{};
    GetWindowRect(mainWindow(), &placed);
    EXPECT_TRUE(EqualRect(&placed, &suggested));
    int width = 0, height = 0;
    ImageList_GetIconSize(TreeView_GetImageList(treeWindow(), TVSIL_NORMAL), &width, &height);
    EXPECT_EQ(width, scaledForDpi(kIconSize96, newDpi));
    EXPECT_GE(TreeView_GetItemHeight(treeWindow()), width);
    DWORD button = static_cast<DWORD>(SendMessageW(app().toolbar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_EQ(LOWORD(button), scaledForDpi(kToolbarButton96.cx, newDpi));
    RECT toolbar{};
    GetWindowRect(app().toolbar, &toolbar);
    EXPECT_EQ(app().toolbarHeight, toolbar.bottom - toolbar.top);
}

namespace {

std::string manifestOf(const char* program) {
    HMODULE module = LoadLibraryExW((L"Z:" + widen(program)).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    if (HGLOBAL loaded = found ? LoadResource(module, found) : nullptr)
        text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

}  // namespace

// The program asks for visual styles and per-monitor scaling, with the older declarations
// for older Windows, and names Windows 7 to 11; the console tool has only the last.
TEST(Manifest, ProgramAndToolDeclareWhatAppliesToThem) {
    const char* supportedOs[] = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                 "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};
    const char* windowed[] = {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                              ">PerMonitorV2, PerMonitor</dpiAwareness>", ">true/pm</dpiAware>"};
    struct Case {
        const char* file;
        bool hasWindows;
    };
    for (const Case& c : {Case{PERCHLET_PROGRAM_FILE, true}, Case{PERCHLET_TOOL_FILE, false}}) {
        SCOPED_TRACE(c.file);
        std::string manifest = manifestOf(c.file);
        ASSERT_FALSE(manifest.empty());
        for (const char* id : supportedOs) EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
        for (const char* element : windowed) EXPECT_EQ(manifest.find(element) != std::string::npos, c.hasWindows) << element;
    }
}
