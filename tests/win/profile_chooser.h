// Answers the browser import's profile dialog from another thread, as a user would.
#pragma once
#include <atomic>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

#include "shell/command_ids.h"

namespace perchlet::testing {

// Waits in another thread for the profile dialog, keeps the lines it lists, chooses the line
// that starts with choice and presses OK (or Cancel for an empty choice), while the test's
// thread sits in the dialog's modal loop. Once the command has returned, finish() ends the
// wait whether a dialog came or not.
class ProfileChooser {
public:
    explicit ProfileChooser(std::wstring choice)
        : thread_([this, choice] {
              for (int tries = 0; tries < 6000 && !finished_; ++tries) {  // a safety net, not a time limit
                  HWND dialog = FindWindowW(L"#32770", L"ブラウザから取り込む");
                  if (dialog && IsWindowVisible(dialog)) {
                      choose(dialog, choice);
                      return;
                  }
                  Sleep(5);
              }
          }) {}
    ~ProfileChooser() { finish(); }
    void finish() {
        finished_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::vector<std::wstring> lines;

private:
    void choose(HWND dialog, const std::wstring& choice) {
        HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
        LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        int chosen = -1;
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            if (!choice.empty() && chosen < 0 && line.compare(0, choice.size(), choice) == 0) chosen = static_cast<int>(i);
            lines.push_back(line);
        }
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
        PostMessageW(dialog, WM_COMMAND, chosen >= 0 ? IDOK : IDCANCEL, 0);
    }
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace perchlet::testing
