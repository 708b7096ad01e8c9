#include "shell/dialogs_win.h"

#include "shell/message_text.h"
#include "shell/text_win.h"

namespace perchlet {

static MessageBoxResponder& messageBoxResponder() {
    static MessageBoxResponder responder;
    return responder;
}

void setMessageBoxResponder(MessageBoxResponder responder) {
    messageBoxResponder() = std::move(responder);
}

namespace {

// A text that may hold a name or path of any length, made to fit the screen.
std::wstring fitted(const std::string& text, std::u16string (*fit)(std::u16string_view)) {
    std::wstring wide = widen(text);
    std::u16string fit16 = fit({reinterpret_cast<const char16_t*>(wide.data()), wide.size()});
    return {fit16.begin(), fit16.end()};
}

}  // namespace

int showMessage(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    if (messageBoxResponder()) return messageBoxResponder()({owner, text, caption, type});
    return MessageBoxW(owner, fitted(text, fitMessageText).c_str(), fitted(caption, fitCaption).c_str(), type);
}

}  // namespace perchlet
