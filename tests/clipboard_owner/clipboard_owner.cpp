// A program that owns the clipboard with text it renders only when asked, and then stops
// answering, for the tests of reading a browser's address through the clipboard.
//   clipboard_owner.exe hang            answers no message at all
//   clipboard_owner.exe hang-on-render  answers everything but the request to render
#include <windows.h>

#include <cstring>

namespace {

bool hangOnRender = false;

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RENDERFORMAT && hangOnRender) Sleep(INFINITE);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    hangOnRender = std::strstr(commandLine, "hang-on-render") != nullptr;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TestClipboardOwner";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"TestClipboardOwner", L"Clipboard owner", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  instance, nullptr);
    while (!OpenClipboard(window)) Sleep(20);
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);  // rendered when someone asks for it
    CloseClipboard();
    if (!hangOnRender) Sleep(INFINITE);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
