#include "e2e_support.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "store/document_text.h"
#include "store/tree_population.h"

namespace perchlet::e2e {

namespace {
// Without a window there is no image list to add shell icons to.
struct NoIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return {12, 13}; }
};
}  // namespace

TestBookmarks::TestBookmarks() : root_(insertRootItem(document_)) {}

NodeId TestBookmarks::add(NodeId parent, const char* title, const char* locator) {
    NoIcons icons;
    NewItemFields fields;
    fields.title = title;
    fields.locator = locator;
    return newItemUnder(document_, parent, fields, icons);
}

std::string TestBookmarks::dataFile() const { return writeWholeDocument(document_); }

Options& options() {
    static Options opts;
    return opts;
}

std::wstring windowsPath(const std::string& path) {
    // A narrow argv is in the ANSI code page, so a Japanese folder name survives.
    std::wstring wide(path.size(), L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                     static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    if (!wide.empty() && wide[0] == L'/') {
        std::replace(wide.begin(), wide.end(), L'/', L'\\');
        wide = L"Z:" + wide;
    }
    return wide;
}

bool Process::start(const std::wstring& exe, const std::wstring& workingFolder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    handle = info.hProcess;
    id = info.dwProcessId;
    return true;
}

bool Process::waitForExit(DWORD milliseconds, DWORD& exitCode) {
    if (WaitForSingleObject(handle, milliseconds) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(handle, &exitCode);
    return true;
}

void Process::kill() {
    if (!handle) return;
    if (WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) {
        TerminateProcess(handle, 1);
        WaitForSingleObject(handle, 5000);
    }
    CloseHandle(handle);
    handle = nullptr;
}

namespace {
struct Search {
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
};
BOOL CALLBACK collectWindow(HWND window, LPARAM param) {
    auto& s = *reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[128] = L"";
    GetClassNameW(window, name, 128);
    if ((s.processId == 0 || owner == s.processId) && std::wcscmp(name, s.className) == 0 &&
        IsWindowVisible(window))
        s.found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> topWindowsOf(DWORD processId, const wchar_t* className) {
    Search search{processId, className, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(DWORD processId, const wchar_t* className, DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        std::vector<HWND> windows = topWindowsOf(processId, className);
        if (!windows.empty()) return windows.front();
        Sleep(100);
    }
    return nullptr;
}

std::wstring textOf(HWND window) {
    wchar_t text[1024] = L"";
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

HWND fileNameEdit(HWND dialog) {
    for (int id : {0x47C, 0x480}) {
        HWND control = GetDlgItem(dialog, id);
        if (!control) continue;
        wchar_t name[32] = L"";
        GetClassNameW(control, name, 32);
        if (std::wstring(name) == L"Edit") return control;
        if (HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr)) return edit;
        // Wine's box is a ComboBoxEx holding a ComboBox holding the edit.
        if (HWND combo = FindWindowExW(control, nullptr, L"ComboBox", nullptr))
            if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
    }
    return nullptr;
}

std::wstring messageBoxText(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = L"";
        GetClassNameW(child, name, 64);
        if (std::wcscmp(name, L"Static") == 0) {
            std::wstring text = textOf(child);
            if (!text.empty()) return text;
        }
    }
    return {};
}

bool saveScreenshot(const std::wstring& path) {
    return saveScreenRect(path, RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool saveScreenRect(const std::wstring& path, RECT rect) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    int stride = ((width * 3 + 3) / 4) * 4;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

}  // namespace perchlet::e2e
