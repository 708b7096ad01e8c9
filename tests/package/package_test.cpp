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

// The edit field of the open dialog's file name box (Wine nests it in a ComboBoxEx).
HWND fileNameEdit(HWND dialog) {
    for (int id : {0x47C, 0x480}) {
        HWND control = GetDlgItem(dialog, id);
        if (!control) continue;
        wchar_t name[32] = L"";
        GetClassNameW(control, name, 32);
        if (std::wstring(name) == L"Edit") return control;
        if (HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr)) return edit;
        if (HWND combo = FindWindowExW(control, nullptr, L"ComboBox", nullptr))
            if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
    }
    return nullptr;
}

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
    Sleep(500);
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
