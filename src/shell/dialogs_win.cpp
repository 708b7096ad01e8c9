#include "shell/dialogs_win.h"

#include "shell/text_win.h"

namespace perchlet {

static MessageBoxResponder& messageBoxResponder() {
    static MessageBoxResponder responder;
    return responder;
}

void setMessageBoxResponder(MessageBoxResponder responder) {
    messageBoxResponder() = std::move(responder);
}

int showMessage(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    if (messageBoxResponder()) return messageBoxResponder()({owner, text, caption, type});
    return MessageBoxW(owner, widen(text).c_str(), widen(caption).c_str(), type);
}

}  // namespace perchlet
