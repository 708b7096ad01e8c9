#include "tree/clipboard_win.h"

#include <cstring>

#include "shell/dialogs_win.h"

namespace perchlet {

int writeClipboardText(HWND owner, const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (!block) return kClipboardNoMemory;
    void* bytes = GlobalLock(block);
    if (!bytes) {
        GlobalFree(block);
        return kClipboardNoMemory;
    }
    std::memcpy(bytes, text.data(), text.size());
    GlobalUnlock(block);

    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return kClipboardUnavailable;
    }
    EmptyClipboard();
    // Once set, the block belongs to the clipboard; only a refused block is ours to free.
    bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!taken) {
        GlobalFree(block);
        return kClipboardUnavailable;
    }
    return kClipboardDone;
}

int readClipboardText(HWND owner, std::string& text) {
    if (!IsClipboardFormatAvailable(CF_TEXT)) {
        showMessage(owner, "クリップボードを読めません", "失敗", MB_OK);
        return kClipboardNoText;
    }
    if (!OpenClipboard(owner)) return kClipboardUnavailable;
    int result = kClipboardUnavailable;
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(block))) {
            // Another program's block need not end in a zero byte: stay inside it.
            std::size_t size = GlobalSize(block);
            const void* end = std::memchr(bytes, '\0', size);
            text.assign(bytes, end ? static_cast<const char*>(end) - bytes : size);
            GlobalUnlock(block);
            result = kClipboardDone;
        }
    }
    CloseClipboard();
    return result;
}

}  // namespace perchlet
