// Every modal question and message of the program goes through here, so that tests can
// stand in for the user.
#pragma once
#include <functional>
#include <string>
#include <windows.h>

namespace perchlet {

struct MessageBoxRequest {
    HWND owner;
    std::string text;     // Shift-JIS
    std::string caption;  // Shift-JIS
    UINT type;            // MB_ buttons and icon
};

// Shows a message box and returns the button chosen (IDOK, IDYES, ...). A long name or
// path in the text is broken onto lines or shortened, so the box fits the screen.
int showMessage(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Tests install a responder that answers instead of the user; an empty one restores the real box.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;
void setMessageBoxResponder(MessageBoxResponder responder);

}  // namespace perchlet
