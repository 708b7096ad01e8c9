// A small stand-in for a web browser, for the tests. Copied to a browser's file name, it
// behaves as that kind of browser: it serves the kind's DDE service on "WWW_OpenURL" and
// "WWW_GetWindowInfo", opens windows titled with the kind's title text, takes an address
// from its command line and opens a new window on Ctrl+N, Ctrl+T and Ctrl+Alt+N.
//
// As a browser without DDE (chrome.exe, msedge.exe, brave.exe, vivaldi.exe, chromium.exe,
// and firefox.exe or opera.exe told NoDde=1) it looks and acts as today's browsers do: its
// windows have their class and title ending ("Page <address> - Google Chrome"); a second
// process hands its command line to the running one and ends; "--new-window ADDRESS"
// (Firefox: "-new-window") opens a window, a plain address (Firefox: "-new-tab"), Chromium's
// "--single-argument ADDRESS" and Firefox's "-osint -url ADDRESS" a tab in the last window; Ctrl+L, Ctrl+C puts the window's address on the clipboard, Escape
// leaves the address bar.
//
// testbrowser.ini beside the executable, section [Browser], says what the test wants:
//   Log=<file>       every event is appended there, one line each, prefixed with the pid
//   Reply=<file>     the bytes answered to "WWW_GetWindowInfo" (default: address and title)
//   DdeDelayMs=<n>   answer every request after this long
//   DdeBlock=1       never answer a request
//   NoDde=1          serve no DDE at all
//   NoWindow=1       never show a window
//   WindowDelayMs=<n> show the first window only after this long
//
// Run as "<name>.exe /show-window <title>" it only shows the hidden window of that title and
// ends: for tests that need a hidden window back without the owner's help.
#include <windows.h>
#include <ddeml.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "browser/browser_kind.h"

namespace {

struct Config {
    std::string log;
    std::string reply;
    bool hasReply = false;
    int ddeDelayMs = 0;
    bool ddeBlock = false;
    bool noDde = false;
    bool noWindow = false;
    int windowDelayMs = 0;
};

Config config;
DWORD ddeInstance = 0;
HSZ serviceName = nullptr;
std::string titleText = "Other Browser";
std::vector<HWND> windows;
std::string currentAddress = "about:blank";
int windowCount = 0;

// How a browser without DDE looks; empty className for the older browsers.
struct ModernLook {
    std::wstring className;
    std::wstring titleEnding;
};
ModernLook modern;
bool addressBarFocused = false;

std::string folderOfExe() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string exePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string iniValue(const std::string& ini, const char* key) {
    char value[1024] = "";
    GetPrivateProfileStringA("Browser", key, "", value, sizeof value, ini.c_str());
    return value;
}

void readConfig() {
    std::string ini = folderOfExe() + "\\testbrowser.ini";
    config.log = iniValue(ini, "Log");
    std::string replyFile = iniValue(ini, "Reply");
    if (!replyFile.empty()) {
        std::ifstream in(replyFile, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        config.reply = bytes.str();
        config.hasReply = true;
    }
    config.ddeDelayMs = std::atoi(iniValue(ini, "DdeDelayMs").c_str());
    config.ddeBlock = iniValue(ini, "DdeBlock") == "1";
    config.noDde = iniValue(ini, "NoDde") == "1";
    config.noWindow = iniValue(ini, "NoWindow") == "1";
    config.windowDelayMs = std::atoi(iniValue(ini, "WindowDelayMs").c_str());
}

void logEvent(const std::string& event) {
    if (config.log.empty()) return;
    HANDLE file = CreateFileA(config.log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = std::to_string(GetCurrentProcessId()) + " " + event + "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

std::string windowTitle(const std::string& address) { return address + " - " + titleText; }

std::wstring wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size > 0 ? size - 1 : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), size);
    return result;
}

std::string narrowText(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    return result;
}

const char kAddressProperty[] = "TestBrowserAddress";

// Today's browsers show the page's title; the page of the test is named after its address.
void showAddress(HWND window, const std::string& address) {
    if (modern.className.empty()) {
        SetWindowTextA(window, windowTitle(address).c_str());
        return;
    }
    auto* stored = static_cast<std::string*>(GetPropA(window, kAddressProperty));
    if (stored) *stored = address;
    SetWindowTextW(window, (L"Page " + wide(address) + modern.titleEnding).c_str());
}

std::string addressOfWindow(HWND window) {
    auto* stored = static_cast<std::string*>(GetPropA(window, kAddressProperty));
    return stored ? *stored : currentAddress;
}

HWND openWindow(HINSTANCE instance, const std::string& address) {
    if (config.noWindow) return nullptr;
    logEvent("window " + address);  // before anyone can find it
    int offset = 30 * (windowCount++ % 8);
    const wchar_t* className = modern.className.empty() ? L"TestBrowserWindow" : modern.className.c_str();
    HWND window = CreateWindowExW(0, className, wide(windowTitle(address)).c_str(), WS_OVERLAPPEDWINDOW,
                                  300 + offset, 100 + offset, 400, 300, nullptr, nullptr, instance, nullptr);
    if (!modern.className.empty()) {
        SetPropA(window, kAddressProperty, new std::string(address));
        showAddress(window, address);
    }
    windows.push_back(window);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, 1);  // moves from now on are the test's
    return window;
}

// The address inside the first pair of quotes of an open-URL item.
std::string addressOfItem(const std::string& item) {
    std::size_t open = item.find('"');
    std::size_t close = open == std::string::npos ? std::string::npos : item.find('"', open + 1);
    if (close == std::string::npos) return item;
    return item.substr(open + 1, close - open - 1);
}

std::string stringOf(HSZ handle) {
    char text[1024] = "";
    DdeQueryStringA(ddeInstance, handle, text, sizeof text, CP_WINANSI);
    return text;
}

HDDEDATA dataOf(const std::string& bytes, HSZ item) {
    return DdeCreateDataHandle(ddeInstance, reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())),
                               static_cast<DWORD>(bytes.size() + 1), 0, item, CF_TEXT, 0);
}

HDDEDATA answerRequest(HSZ topicHandle, HSZ itemHandle) {
    std::string topic = stringOf(topicHandle);
    std::string item = stringOf(itemHandle);
    logEvent("dde " + topic + " " + item);
    if (config.ddeBlock) return CBR_BLOCK;
    if (config.ddeDelayMs > 0) Sleep(static_cast<DWORD>(config.ddeDelayMs));
    if (topic == "WWW_OpenURL") {
        currentAddress = addressOfItem(item);
        if (!windows.empty()) showAddress(windows.back(), currentAddress);
        return dataOf("1", itemHandle);
    }
    if (topic == "WWW_GetWindowInfo") {
        std::string reply = config.hasReply ? config.reply : "\"" + currentAddress + "\",\"Test Page\"";
        return dataOf(reply, itemHandle);
    }
    return nullptr;
}

HDDEDATA CALLBACK serverCallback(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT: {
        std::string name = stringOf(topic);
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(name == "WWW_OpenURL" || name == "WWW_GetWindowInfo"));
    }
    case XTYP_REQUEST:
        return answerRequest(topic, item);
    }
    return nullptr;
}

void putOnClipboard(HWND window, const std::wstring& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    for (int i = 0; i < 50 && !OpenClipboard(window); ++i) Sleep(20);
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

// Ctrl+L focuses the address bar, Ctrl+C copies it from there, Escape leaves it.
bool addressBarKey(HWND window, WPARAM key) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == 'L' && ctrl) {
        logEvent("key ctrl+L");
        addressBarFocused = true;
    } else if (key == 'C' && ctrl) {
        logEvent("key ctrl+C");
        if (addressBarFocused) putOnClipboard(window, wide(addressOfWindow(window)));
    } else if (key == VK_ESCAPE) {
        logEvent("key escape");
        addressBarFocused = false;
    } else {
        return false;
    }
    return true;
}

void logKey(HWND window, WPARAM key) {
    if (!modern.className.empty() && addressBarKey(window, key)) return;
    if (key != 'N' && key != 'T') return;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0;
    if (!ctrl) return;
    logEvent(std::string("key ctrl+") + (alt ? "alt+" : "") + static_cast<char>(key));
    openWindow(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), "about:blank");
}

std::vector<std::wstring> argumentsOf(const std::wstring& commandLine) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> result(args + (count > 0 ? 1 : 0), args + count);
    LocalFree(args);
    return result;
}

// What a command line asks for, read as the browsers read theirs: Chromium takes the rest
// of the line after "--single-argument " as one address; Firefox takes "-osint" only as
// "-osint -url ADDRESS" and refuses the whole line otherwise.
struct Request {
    bool newWindow = false;
    bool refused = false;
    std::string address;
};

Request requestOf(const std::wstring& commandLine) {
    Request request;
    const std::wstring single = L" --single-argument ";
    std::size_t rest = commandLine.find(single);
    std::wstring flags = rest == std::wstring::npos ? commandLine : commandLine.substr(0, rest);
    std::vector<std::wstring> arguments = argumentsOf(flags);
    if (rest != std::wstring::npos) request.address = narrowText(commandLine.substr(rest + single.size()));
    if (std::find(arguments.begin(), arguments.end(), L"-osint") != arguments.end()) {
        request.refused = arguments.size() != 3 || arguments[0] != L"-osint" || arguments[1] != L"-url";
        if (!request.refused) request.address = narrowText(arguments[2]);
        return request;
    }
    for (const std::wstring& argument : arguments) {
        if (argument == L"--new-window" || argument == L"-new-window") request.newWindow = true;
        else if (argument == L"-new-tab") request.newWindow = false;
        else if (argument != L"/m") request.address = narrowText(argument);
    }
    return request;
}

// A command line handed over by a second process: a window or a tab, as the browser's flags say.
void takeCommandLine(HWND window, const std::wstring& commandLine) {
    Request request = requestOf(commandLine);
    if (request.refused) {
        logEvent("refused");
        return;
    }
    std::string address = request.address.empty() ? "about:blank" : request.address;
    if (request.newWindow) {
        openWindow(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), address);
        return;
    }
    logEvent("tab " + address);
    currentAddress = address;
    if (!windows.empty()) showAddress(windows.back(), address);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA: {
        auto& data = *reinterpret_cast<COPYDATASTRUCT*>(lParam);
        takeCommandLine(window, std::wstring(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t)));
        return TRUE;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        logKey(window, wParam);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        auto& pos = *reinterpret_cast<WINDOWPOS*>(lParam);
        bool moved = (pos.flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE);
        if (moved && GetWindowLongPtrA(window, GWLP_USERDATA)) {
            RECT rect{};
            GetWindowRect(window, &rect);
            logEvent("move " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                     std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
        }
        break;
    }
    case WM_DESTROY:
        delete static_cast<std::string*>(RemovePropA(window, kAddressProperty));
        for (auto it = windows.begin(); it != windows.end(); ++it)
            if (*it == window) {
                windows.erase(it);
                break;
            }
        if (windows.empty()) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The address is the last argument that is not "/m" or a flag of today's browsers.
std::string addressFromCommandLine() {
    std::string address = requestOf(GetCommandLineW()).address;
    return address.empty() ? "about:blank" : address;
}

}  // namespace

bool showWindowCommand() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    bool asked = count == 3 && std::wstring(args[1]) == L"/show-window";
    if (asked) {
        if (HWND window = FindWindowW(nullptr, args[2])) ShowWindow(window, SW_SHOWNORMAL);
    }
    LocalFree(args);
    return asked;
}

ModernLook modernLookOf(perchlet::BrowserKind kind) {
    const std::wstring chromium = L"Chrome_WidgetWin_1";
    switch (kind) {
    case perchlet::BrowserKind::Chrome: return {chromium, L" - Google Chrome"};
    case perchlet::BrowserKind::Edge: return {chromium, L" - Microsoft\u200B Edge"};
    case perchlet::BrowserKind::Brave: return {chromium, L" - Brave"};
    case perchlet::BrowserKind::Vivaldi: return {chromium, L" - Vivaldi"};
    case perchlet::BrowserKind::Chromium: return {chromium, L" - Chromium"};
    default: break;
    }
    if (!config.noDde) return {};
    if (kind == perchlet::BrowserKind::Opera) return {chromium, L" - Opera"};
    if (kind == perchlet::BrowserKind::Firefox) return {L"MozillaWindowClass", L" \u2014 Mozilla Firefox"};
    return {};
}

struct RunningCopy {
    DWORD self;
    HWND found;
};

BOOL CALLBACK findRunningCopy(HWND window, LPARAM param) {
    auto& query = *reinterpret_cast<RunningCopy*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = L"";
    GetClassNameW(window, className, 64);
    wchar_t title[512] = L"";
    GetWindowTextW(window, title, 512);
    std::wstring text = title;
    const std::wstring& ending = modern.titleEnding;
    bool ours = modern.className == className && text.size() >= ending.size() &&
                text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
    if (process == query.self || !ours || !IsWindowVisible(window)) return TRUE;
    query.found = window;
    return FALSE;
}

// As today's browsers do, a second process gives its command line to the running one.
bool handedToRunningCopy() {
    RunningCopy query{GetCurrentProcessId(), nullptr};
    EnumWindows(findRunningCopy, reinterpret_cast<LPARAM>(&query));
    if (!query.found) return false;
    std::wstring line = GetCommandLineW();
    COPYDATASTRUCT data{};
    data.cbData = static_cast<DWORD>(line.size() * sizeof(wchar_t));
    data.lpData = line.data();
    SendMessageW(query.found, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (showWindowCommand()) return 0;
    readConfig();
    logEvent(std::string("start ") + GetCommandLineA());
    perchlet::BrowserKind kind = perchlet::browserKindOf(exePath());
    if (kind == perchlet::BrowserKind::Firefox) titleText = "Mozilla Firefox";
    else if (const char* text = perchlet::windowTitleText(kind)) titleText = text;
    modern = modernLookOf(kind);
    if (!modern.className.empty() && handedToRunningCopy()) return 0;

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = modern.className.empty() ? L"TestBrowserWindow" : modern.className.c_str();
    RegisterClassW(&windowClass);

    bool servesDde = !config.noDde && kind >= perchlet::BrowserKind::Ie && kind <= perchlet::BrowserKind::Sleipnir;
    if (servesDde && DdeInitializeA(&ddeInstance, serverCallback, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS |
                                                                      CBF_SKIP_UNREGISTRATIONS, 0) == DMLERR_NO_ERROR) {
        serviceName = DdeCreateStringHandleA(ddeInstance, perchlet::ddeServiceName(kind), CP_WINANSI);
        DdeNameService(ddeInstance, serviceName, nullptr, DNS_REGISTER);
    }
    currentAddress = addressFromCommandLine();
    if (config.windowDelayMs > 0) Sleep(static_cast<DWORD>(config.windowDelayMs));
    openWindow(instance, currentAddress);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (ddeInstance) {
        DdeNameService(ddeInstance, serviceName, nullptr, DNS_UNREGISTER);
        DdeUninitialize(ddeInstance);
    }
    return 0;
}
