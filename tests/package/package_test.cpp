// The release package as a user meets it: perchlet.exe started in the folder the zip was
// unpacked into, with nothing else there.
#include <gtest/gtest.h>

#include <string>
#include <windows.h>

#include "e2e_support.h"

using namespace perchlet::e2e;

namespace {

constexpr int kOpenDataFile = 100;
constexpr int kHelp = 124;
constexpr int kTreeViewId = 90;

std::wstring folderOf(const std::wstring& exe) { return exe.substr(0, exe.find_last_of(L'\\')); }

BOOL CALLBACK findHelpViewer(HWND window, LPARAM found) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != L"HH Parent") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

bool waitForCaption(HWND window, const std::wstring& caption, DWORD milliseconds) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(100))
        if (textOf(window) == caption) return true;
    return false;
}

// Pixels darker than the empty pane's white: the first-run hint is drawn in grey there.
int drawnPixels(HWND pane) {
    RECT rect{};
    GetWindowRect(pane, &rect);
    HDC screen = GetDC(nullptr);
    int drawn = 0;
    for (int y = rect.top + 4; y < rect.bottom - 4; y += 2)
        for (int x = rect.left + 4; x < rect.right - 4; x += 2) {
            COLORREF colour = GetPixel(screen, x, y);
            if (colour != CLR_INVALID && GetRValue(colour) < 0xE0) ++drawn;
        }
    ReleaseDC(nullptr, screen);
    return drawn;
}

void closeProgram(Process& program, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    program.waitForExit(15000, code);
    program.kill();
}

}  // namespace

TEST(Package, StartsAloneOpensTheSampleAndItsHelp) {
    std::wstring folder = folderOf(options().perchletExe);
    Process program;
    ASSERT_TRUE(program.start(options().perchletExe, folder));
    HWND window = waitForWindow(program.id, L"perchlet-MainWndClass", 30000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitForCaption(window, L"Perchlet", 5000)) << "a first run opens no file";
    Sleep(700);
    EXPECT_GT(drawnPixels(GetDlgItem(window, kTreeViewId)), 50) << "the empty pane shows no hint";
    if (!options().artifacts.empty()) saveScreenshot(options().artifacts + L"\\package_first_run.bmp");

    PostMessageW(window, WM_COMMAND, kOpenDataFile, 0);
    HWND dialog = waitForWindow(program.id, L"#32770", 30000);
    ASSERT_NE(dialog, nullptr);
    HWND edit = nullptr;
    for (DWORD start = GetTickCount(); !edit && GetTickCount() - start < 10000; Sleep(100)) edit = fileNameEdit(dialog);
    ASSERT_NE(edit, nullptr);
    std::wstring sample = folder + L"\\sample\\ListFile.dat";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sample.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitForCaption(window, L"ListFile.dat - Perchlet", 15000)) << "caption: " << textOf(window).size();
    EXPECT_GT(SendMessageW(GetDlgItem(window, kTreeViewId), 0x1105 /* TVM_GETCOUNT */, 0, 0), 1);
    if (!options().artifacts.empty()) saveScreenshot(options().artifacts + L"\\package_sample.bmp");

    // The viewer inherits this: Wine must not offer to download its HTML engine.
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mshtml=");
    PostMessageW(window, WM_COMMAND, kHelp, 0);
    HWND viewer = nullptr;
    for (int i = 0; i < 300 && !viewer; ++i, Sleep(100)) EnumWindows(findHelpViewer, reinterpret_cast<LPARAM>(&viewer));
    EXPECT_NE(viewer, nullptr) << "Help opens no viewer";
    if (viewer) PostMessageW(viewer, WM_CLOSE, 0, 0);

    closeProgram(program, window);
}
