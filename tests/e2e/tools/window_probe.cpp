// Tells an end-to-end script where a control of another program's window is and what it
// says, so that the script can click it with the real mouse.
//   window_probe.exe "<top-level window title>" <control id>
// prints "<x> <y> <left> <top> <text>": the control's centre and top-left corner on the
// screen, and its text (UTF-8).
#include <cstdio>
#include <cwchar>
#include <string>
#include <windows.h>

namespace {

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK matchId(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (GetDlgCtrlID(child) != search->id || !IsWindowVisible(child)) return TRUE;
    search->found = child;
    return FALSE;
}

std::string utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(size > 0 ? static_cast<std::size_t>(size - 1) : 0);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_probe TITLE CONTROL_ID\n");
        return 2;
    }
    HWND top = FindWindowW(nullptr, argv[1]);
    if (!top) return 1;
    Search search{static_cast<int>(std::wcstol(argv[2], nullptr, 10)), nullptr};
    EnumChildWindows(top, matchId, reinterpret_cast<LPARAM>(&search));  // all descendants
    if (!search.found) return 1;
    RECT rect{};
    GetWindowRect(search.found, &rect);
    wchar_t text[1024] = L"";
    SendMessageW(search.found, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    std::printf("%ld %ld %ld %ld %s\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, rect.left, rect.top,
                utf8(text).c_str());
    return 0;
}
