#include <windows.h>

#include "app/main_window_win.h"
#include "shell/dialogs_win.h"

using namespace perchlet;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showState) {
    // Never closed: the name stays taken for as long as this copy runs.
    CreateMutexW(nullptr, FALSE, L"HTML形式のブックマークファイル作成プログラム");
    if (GetLastError() == ERROR_ALREADY_EXISTS &&
        showMessage(nullptr, "このプログラムは既に起動しています。もうひとつ起動しますか？", "Perchlet",
                    MB_YESNO) == IDNO)
        return 0;

    App& app = theApp();
    app.instance = instance;
    if (!registerMainWindowClass(instance) || !createMainWindow(app)) {
        showMessage(nullptr, "ウィンドウを作成できません。", "Perchlet", MB_OK | MB_ICONERROR);
        return 1;
    }
    ShowWindow(app.mainWindow, showState);
    UpdateWindow(app.mainWindow);

    app.accelerators = LoadAcceleratorsW(instance, L"MYACCEL");
    if (!app.accelerators) showMessage(nullptr, "失敗です", "", MB_OK);
    return runMessageLoop(app);
}
