#include "tree/clipboard_win.h"

#include <cstring>

#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

HGLOBAL blockHolding(const void* data, std::size_t bytes, std::size_t zeroBytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes + zeroBytes);
    if (!block) return nullptr;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, data, bytes);
    GlobalUnlock(block);
    return block;
}

// Once set, a block belongs to the clipboard; only a refused block is ours to free.
bool giveToClipboard(UINT format, HGLOBAL block) {
    if (SetClipboardData(format, block)) return true;
    GlobalFree(block);
    return false;
}

// Another program (a clipboard manager, Wine's own) may hold the clipboard for a moment
// after it changed: a few short tries before giving up.
bool openClipboard(HWND owner) {
    constexpr int kTries = 20;
    for (int tried = 1;; ++tried) {
        if (OpenClipboard(owner)) return true;
        if (tried == kTries) return false;
        Sleep(10);
    }
}

// CF_UNICODETEXT or CF_TEXT, whichever the clipboard lists first; 0 when it has neither.
UINT firstTextFormat() {
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        if (format == CF_UNICODETEXT || format == CF_TEXT) return format;
    return 0;
}

// Another program's block need not end in a zero: stay inside it.
template <typename Char>
std::basic_string<Char> textOfBlock(HANDLE block) {
    const Char* data = static_cast<const Char*>(GlobalLock(block));
    if (!data) return {};
    std::size_t size = GlobalSize(block) / sizeof(Char);
    std::size_t length = 0;
    while (length < size && data[length] != 0) ++length;
    std::basic_string<Char> text(data, length);
    GlobalUnlock(block);
    return text;
}

std::string dataTextOfUnicode(std::wstring wide) {
    if (!wide.empty() && wide.front() == L'\xFEFF') wide.erase(0, 1);
    return kUtf8Mark + textFromUtf16(utf16View(wide), TextEncoding::Utf8);
}

}  // namespace

int writeClipboardText(HWND owner, const ClipboardText& text) {
    HGLOBAL unicode = blockHolding(text.unicode.data(), text.unicode.size() * sizeof(wchar_t), sizeof(wchar_t));
    HGLOBAL shiftJis = blockHolding(text.shiftJis.data(), text.shiftJis.size(), 1);
    if (!unicode || !shiftJis) {
        if (unicode) GlobalFree(unicode);
        if (shiftJis) GlobalFree(shiftJis);
        return kClipboardNoMemory;
    }
    if (!openClipboard(owner)) {
        GlobalFree(unicode);
        GlobalFree(shiftJis);
        return kClipboardUnavailable;
    }
    EmptyClipboard();
    bool taken = giveToClipboard(CF_UNICODETEXT, unicode);
    taken = giveToClipboard(CF_TEXT, shiftJis) && taken;
    CloseClipboard();
    return taken ? kClipboardDone : kClipboardUnavailable;
}

int readClipboardText(HWND owner, std::string& text) {
    if (!IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        showMessage(owner, "クリップボードに貼り付けられるデータがありません。", "貼り付け", MB_OK | MB_ICONWARNING);
        return kClipboardNoText;
    }
    if (!openClipboard(owner)) return kClipboardUnavailable;
    int result = kClipboardUnavailable;
    UINT format = firstTextFormat();
    if (HANDLE block = format ? GetClipboardData(format) : nullptr) {
        text = format == CF_UNICODETEXT ? dataTextOfUnicode(textOfBlock<wchar_t>(block)) : textOfBlock<char>(block);
        result = kClipboardDone;
    }
    CloseClipboard();
    return result;
}

}  // namespace perchlet
