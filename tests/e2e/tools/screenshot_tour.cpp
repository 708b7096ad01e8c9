// Walks the real program through the views the README and the help show, and saves each one,
// cropped to the windows that make it, as a BMP file.
//   screenshot_tour.exe PERCHLET_EXE OUTPUT_FOLDER
// The program starts in the current folder, whose data file has a folder of links to a loopback
// server as its last top-level item (scripts/example_data.py --check-port).
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <windows.h>
#include <commctrl.h>

#include "e2e_support.h"
#include "shell/command_ids.h"

using namespace perchlet::e2e;

namespace {

constexpr int kMargin = 8;

RECT rectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT unionOf(std::initializer_list<HWND> windows) {
    RECT all{};
    bool first = true;
    for (HWND window : windows) {
        if (!window) continue;
        RECT rect = rectOf(window);
        if (first) all = rect;
        else UnionRect(&all, &all, &rect);
        first = false;
    }
    InflateRect(&all, kMargin, kMargin);
    all.left = std::max<LONG>(all.left, 0);
    all.top = std::max<LONG>(all.top, 0);
    all.right = std::min<LONG>(all.right, GetSystemMetrics(SM_CXSCREEN));
    all.bottom = std::min<LONG>(all.bottom, GetSystemMetrics(SM_CYSCREEN));
    return all;
}

void settle() { Sleep(800); }

HWND treeOf(HWND main) { return GetDlgItem(main, IDC_TREE_VIEW); }

HTREEITEM child(HWND tree, HTREEITEM parent, int index) {
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
    for (int i = 0; i < index && item; ++i)
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    return item;
}

HTREEITEM lastChild(HWND tree, HTREEITEM parent) {
    HTREEITEM item = child(tree, parent, 0), last = item;
    while (item) {
        last = item;
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return last;
}

// The program makes a folder's items when it opens, so open it before asking for them.
HTREEITEM opened(HWND tree, HTREEITEM folder) {
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(folder));
    return folder;
}

void select(HWND tree, HTREEITEM item) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// The docked panel that has the given button.
void pressPanelButton(HWND main, int button) {
    for (HWND panel = FindWindowExW(main, nullptr, L"#32770", nullptr); panel;
         panel = FindWindowExW(main, panel, L"#32770", nullptr))
        if (GetDlgItem(panel, button)) PostMessageW(panel, WM_COMMAND, button, 0);
}

HWND waitForTop(DWORD process, const wchar_t* className, DWORD milliseconds = 10000) {
    return waitForWindow(process, className, milliseconds);
}

// A dialog of the program other than the ones already known.
HWND newDialog(DWORD process, std::initializer_list<HWND> known, DWORD milliseconds = 10000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(100))
        for (HWND window : topWindowsOf(process, L"#32770"))
            if (std::find(known.begin(), known.end(), window) == known.end()) return window;
    return nullptr;
}

bool save(const std::wstring& folder, const wchar_t* name, RECT rect) {
    bool saved = saveScreenRect(folder + L"\\" + name + L".bmp", rect);
    std::fwprintf(stdout, L"%ls %ls\n", saved ? L"saved" : L"FAILED", name);
    return saved;
}

void closeMenus(HWND main) {
    SendMessageW(main, WM_CANCELMODE, 0, 0);
    settle();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot_tour PERCHLET_EXE OUTPUT_FOLDER\n");
        return 2;
    }
    std::wstring folder = argv[2];
    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    Process program;
    if (!program.start(argv[1], current)) return 1;
    HWND main = waitForTop(program.id, L"perchlet-MainWndClass", 30000);
    if (!main) return 1;
    for (DWORD start = GetTickCount(); textOf(main) == L"Perchlet" && GetTickCount() - start < 15000;) Sleep(100);
    settle();
    HWND tree = treeOf(main);
    HTREEITEM root = child(tree, nullptr, 0);
    HTREEITEM news = opened(tree, child(tree, root, 0));
    opened(tree, child(tree, root, 1));
    select(tree, child(tree, news, 0));
    settle();
    int failures = 0;
    failures += !save(folder, L"main_window", unionOf({main}));

    PostMessageW(main, WM_COMMAND, CMD_EDITOR_PANEL, 0);
    settle();
    failures += !save(folder, L"editor_panel", unionOf({main}));
    PostMessageW(main, WM_COMMAND, CMD_OPTIONS_PANEL, 0);
    settle();
    failures += !save(folder, L"options_panel", unionOf({main}));
    pressPanelButton(main, IDC_OPT_CLOSE);
    settle();

    PostMessageW(main, WM_COMMAND, CMD_FIND, 0);
    HWND find = newDialog(program.id, {});
    if (find) {
        SendMessageW(GetDlgItem(find, IDC_FIND_TEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"にゅーす"));
        settle();
        failures += !save(folder, L"find_window", unionOf({main, find}));
        PostMessageW(find, WM_CLOSE, 0, 0);
        settle();
    } else {
        ++failures;
    }

    select(tree, child(tree, news, 1));
    PostMessageW(main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree), static_cast<LPARAM>(-1));
    if (HWND menu = waitForTop(program.id, L"#32768")) {
        settle();
        failures += !save(folder, L"context_menu", unionOf({main, menu}));
    } else {
        ++failures;
        std::fwprintf(stdout, L"FAILED context_menu: no menu\n");
    }
    closeMenus(main);

    select(tree, opened(tree, lastChild(tree, root)));
    settle();
    PostMessageW(main, WM_COMMAND, CMD_UPDATE_CHECK, 0);
    if (HWND check = newDialog(program.id, {find})) {
        for (DWORD start = GetTickCount(); IsWindowEnabled(GetDlgItem(check, IDC_CHECK_STOP)) == FALSE ||
                                           textOf(GetDlgItem(check, IDC_CHECK_STOP)) == L"中止";) {
            if (GetTickCount() - start > 30000) break;
            Sleep(200);
        }
        settle();
        failures += !save(folder, L"update_check", unionOf({main, check}));
        PostMessageW(check, WM_COMMAND, IDC_CHECK_STOP, 0);
        settle();
    } else {
        ++failures;
    }

    // The menu opens at the cursor: put it just above the notification area in the bottom right
    // corner (on the icon itself, its tooltip would cover the menu).
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 12, GetSystemMetrics(SM_CYSCREEN) - 30);
    PostMessageW(main, WM_USER, TRAY_ICON_ID, WM_LBUTTONDOWN);
    if (HWND menu = waitForTop(program.id, L"#32768")) {
        settle();
        RECT rect = unionOf({menu});
        rect.left = std::max<LONG>(rect.left - 40, 0);
        rect.top = std::max<LONG>(rect.top - 40, 0);
        rect.right = GetSystemMetrics(SM_CXSCREEN);
        rect.bottom = GetSystemMetrics(SM_CYSCREEN);
        failures += !save(folder, L"tray_menu", rect);
    } else {
        ++failures;
    }
    closeMenus(main);

    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 0;
    program.waitForExit(10000, code);
    return failures == 0 ? 0 : 1;
}
