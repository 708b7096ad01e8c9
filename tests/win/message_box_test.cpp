// The real message box, behind the one door, with texts of any length.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <windows.h>

#include "shell/dialogs_win.h"

using namespace perchlet;

namespace {

struct ShownBox {
    RECT rect{};
    bool found = false;
};

// Waits for the box, notes where it is and presses its OK.
void measureAndClose(const wchar_t* caption, ShownBox& box, const std::atomic<bool>& returned) {
    for (int i = 0; i < 600 && !returned; ++i) {
        // Shown only once it has its size.
        HWND window = FindWindowW(L"#32770", caption);
        if (window && IsWindowVisible(window)) {
            GetWindowRect(window, &box.rect);
            box.found = true;
            PostMessageW(window, WM_COMMAND, IDOK, 0);
            return;
        }
        Sleep(50);
    }
}

}  // namespace

// A 10,000-character profile name and a 256-character path give boxes inside the screen.
TEST(MessageBoxDoor, LongTextsGiveABoxThatFitsTheScreen) {
    std::string name;
    for (int i = 0; i < 10000; ++i) name += "\x96\xBC";  // 名
    std::string path = "C:\\";
    while (path.size() < 244) path += "folder\\";
    path += "ListFile.dat";
    const std::string texts[] = {"プロファイル「" + name + "」を読めませんでした。",
                                 "データファイルを開けませんでした。\r\n" + path};
    const wchar_t* caption = L"長い文の箱";
    for (const std::string& text : texts) {
        ShownBox box;
        std::atomic<bool> returned{false};
        std::thread closer(measureAndClose, caption, std::ref(box), std::cref(returned));
        showMessage(nullptr, text, "長い文の箱", MB_OK | MB_ICONWARNING);
        returned = true;
        closer.join();
        ASSERT_TRUE(box.found);
        SCOPED_TRACE(std::to_string(box.rect.right - box.rect.left) + "x" + std::to_string(box.rect.bottom - box.rect.top));
        EXPECT_GE(box.rect.left, 0);
        EXPECT_GE(box.rect.top, 0);
        EXPECT_LE(box.rect.right, GetSystemMetrics(SM_CXSCREEN)) << box.rect.right - box.rect.left;
        EXPECT_LE(box.rect.bottom, GetSystemMetrics(SM_CYSCREEN)) << box.rect.bottom - box.rect.top;
    }
}
