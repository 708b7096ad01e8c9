#include "settings/screen_scale_win.h"

#include <cstring>

namespace perchlet {

namespace {

// Functions of Windows 10 1607 and later, looked up so that the program still starts on
// Windows 7 and 8, where the system's scale is the only one.
template <typename Function>
Function userFunction(const char* name) {
    FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

NONCLIENTMETRICSW nonClientMetricsAt(int dpi) {
    static const auto forDpi = userFunction<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) return metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    int system = systemDpi();
    metrics.lfMessageFont.lfHeight = rescaledForDpi(metrics.lfMessageFont.lfHeight, system, dpi);
    metrics.lfSmCaptionFont.lfHeight = rescaledForDpi(metrics.lfSmCaptionFont.lfHeight, system, dpi);
    return metrics;
}

// Dialog templates are DLGTEMPLATEEX: after the fixed header come the menu, the class and
// the title, each a string or an ordinal, then (with DS_SETFONT) the font, then the items
// from the next DWORD boundary on.
constexpr std::size_t kExHeaderSize = 26;
constexpr std::size_t kFontFixedSize = 6;  // point size, weight, italic, character set

std::size_t afterString(const BYTE* data, std::size_t size, std::size_t at) {
    while (at + 1 < size && (data[at] | data[at + 1]) != 0) at += 2;
    return at + 2;
}

std::size_t afterStringOrOrdinal(const BYTE* data, std::size_t size, std::size_t at) {
    if (at + 1 >= size) return size;
    WORD first = static_cast<WORD>(data[at] | data[at + 1] << 8);
    if (first == 0x0000) return at + 2;
    if (first == 0xFFFF) return at + 4;
    return afterString(data, size, at);
}

std::size_t alignedToDword(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

void putWord(std::vector<BYTE>& bytes, std::size_t at, WORD value) {
    bytes[at] = static_cast<BYTE>(value & 0xFF);
    bytes[at + 1] = static_cast<BYTE>(value >> 8);
}

std::vector<BYTE> withFont(const BYTE* data, std::size_t size, const LOGFONTW& font, int pointSize) {
    std::vector<BYTE> original(data, data + size);
    WORD version = static_cast<WORD>(data[0] | data[1] << 8);
    WORD signature = static_cast<WORD>(data[2] | data[3] << 8);
    if (size < kExHeaderSize || version != 1 || signature != 0xFFFF) return original;
    DWORD style = 0;
    std::memcpy(&style, data + 12, sizeof style);
    if (!(style & DS_SETFONT)) return original;
    std::size_t at = afterStringOrOrdinal(data, size, kExHeaderSize);  // menu
    at = afterStringOrOrdinal(data, size, at);                          // class
    at = afterString(data, size, at);                                   // title
    std::size_t faceAt = at + kFontFixedSize;
    if (faceAt >= size) return original;
    std::size_t itemsAt = alignedToDword(afterString(data, size, faceAt));
    if (itemsAt > size) return original;

    std::vector<BYTE> rewritten(data, data + faceAt);
    putWord(rewritten, at, static_cast<WORD>(pointSize));
    putWord(rewritten, at + 2, static_cast<WORD>(font.lfWeight));
    rewritten[at + 4] = font.lfItalic ? 1 : 0;
    rewritten[at + 5] = font.lfCharSet;
    for (const wchar_t* c = font.lfFaceName;; ++c) {
        rewritten.push_back(static_cast<BYTE>(*c & 0xFF));
        rewritten.push_back(static_cast<BYTE>(*c >> 8));
        if (*c == L'\0') break;
    }
    rewritten.resize(alignedToDword(rewritten.size()), 0);
    rewritten.insert(rewritten.end(), data + itemsAt, data + size);
    return rewritten;
}

}  // namespace

int systemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int dpiOfWindow(HWND window) {
    static const auto getDpiForWindow = userFunction<GetDpiForWindowFunction>("GetDpiForWindow");
    if (window && getDpiForWindow) {
        if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    }
    return systemDpi();
}

int scaledForWindow(HWND window, int pixels96) { return scaledForDpi(pixels96, dpiOfWindow(window)); }

int systemMetricForDpi(int index, int dpi) {
    static const auto forDpi = userFunction<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return rescaledForDpi(GetSystemMetrics(index), systemDpi(), dpi);
}

LOGFONTW messageFontAt(int dpi) { return nonClientMetricsAt(dpi).lfMessageFont; }

LOGFONTW smallCaptionFontAt(int dpi) { return nonClientMetricsAt(dpi).lfSmCaptionFont; }

HFONT createMessageFont(int dpi) {
    LOGFONTW font = messageFontAt(dpi);
    return CreateFontIndirectW(&font);
}

HICON loadIconSized(HINSTANCE instance, const wchar_t* name, int size) {
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

std::vector<BYTE> templateInMessageFont(HINSTANCE instance, const wchar_t* name) {
    HRSRC found = FindResourceW(instance, name, MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return {};
    // The dialog manager scales the point size to the dialog's DPI itself.
    int dpi = systemDpi();
    LOGFONTW font = messageFontAt(dpi);
    int height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    int pointSize = MulDiv(height, 72, dpi);
    if (pointSize <= 0 || font.lfFaceName[0] == L'\0') return std::vector<BYTE>(data, data + SizeofResource(instance, found));
    return withFont(data, SizeofResource(instance, found), font, pointSize);
}

HWND createDialogInMessageFont(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC procedure, LPARAM param) {
    std::vector<BYTE> dialog = templateInMessageFont(instance, name);
    if (dialog.empty()) return nullptr;
    return CreateDialogIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), parent, procedure,
                                      param);
}

INT_PTR dialogBoxInMessageFont(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC procedure, LPARAM param) {
    std::vector<BYTE> dialog = templateInMessageFont(instance, name);
    if (dialog.empty()) return -1;
    return DialogBoxIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), parent, procedure,
                                   param);
}

}  // namespace perchlet
