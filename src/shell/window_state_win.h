// The object a window or dialog works on, handed over in its creation parameter and kept
// in the window itself, so that its procedure never reaches for anything global.
#pragma once
#include <windows.h>

namespace perchlet {

// A dialog's object: WM_INITDIALOG's parameter, kept in DWLP_USER. nullptr for the few
// messages that come before WM_INITDIALOG.
template <typename State>
State* dialogState(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// A window's object: CreateWindowEx's parameter, kept in GWLP_USERDATA from WM_NCCREATE on.
// nullptr for the few messages that come before WM_NCCREATE.
template <typename State>
State* windowState(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace perchlet
