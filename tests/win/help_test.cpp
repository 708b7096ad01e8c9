// Command 124 opens the compiled help file from the start-up folder in the system's viewer.
#include <gtest/gtest.h>

#include <string>
#include <windows.h>

#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

struct FoundWindow {
    HWND window = nullptr;
    DWORD process = 0;
};

BOOL CALLBACK findViewer(HWND window, LPARAM found) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != L"HH Parent") return TRUE;
    auto& result = *reinterpret_cast<FoundWindow*>(found);
    result.window = window;
    GetWindowThreadProcessId(window, &result.process);
    return FALSE;
}

// The viewer is another process: wait for its window as long as a slow start may take.
FoundWindow waitForViewer() {
    FoundWindow found;
    for (int i = 0; i < 300 && !found.window; ++i) {
        EnumWindows(findViewer, reinterpret_cast<LPARAM>(&found));
        if (!found.window) pumpMessages(100);
    }
    return found;
}

// The build's help file as a Windows path (Wine shows the root of the Unix tree as Z:).
std::wstring builtHelpFile() {
    std::wstring path = L"Z:" + widen(PERCHLET_HELP_FILE);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

class Help : public MainWindowTest {};

}  // namespace

TEST_F(Help, OpensTheViewerWithTheFilesTitle) {
    ASSERT_TRUE(CopyFileW(builtHelpFile().c_str(), (folder + L"\\perchlet.chm").c_str(), FALSE));
    // Keeps Wine from offering to download its HTML engine; the viewer inherits it.
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mshtml=");
    startMainWindow();
    // The file dialogs may have moved the current folder: the help comes from the start-up one.
    SetCurrentDirectoryW(L"C:\\");
    SendMessageW(theApp().mainWindow, WM_COMMAND, CMD_HELP, 0);

    FoundWindow viewer = waitForViewer();
    ASSERT_NE(viewer.window, nullptr);
    EXPECT_TRUE(windowText(viewer.window) == widen("Perchlet ヘルプ"));
    EXPECT_NE(viewer.process, GetCurrentProcessId());

    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, viewer.process);
    PostMessageW(viewer.window, WM_CLOSE, 0, 0);
    if (process) {
        if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        CloseHandle(process);
    }
    SetCurrentDirectoryW(folder.c_str());
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", nullptr);
}
