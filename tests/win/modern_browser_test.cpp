// Today's browsers without DDE (the test browser as chrome.exe, msedge.exe, brave.exe,
// vivaldi.exe, chromium.exe, and as firefox.exe and opera.exe serving no DDE): opening links
// per open mode, placing the new window, reading the shown page with the clipboard given
// back, the menus, and the default browser from the registry.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <string>
#include <vector>
#include <windows.h>

#include "browser_support.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/encoding.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

std::string joined(const std::vector<std::string>& events) {
    std::string text;
    for (const std::string& event : events) text += event + "\n";
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

class ModernBrowsers : public BrowserTest {
protected:
    void open(NodeId node, int command) {
        app().treeView.select(node);
        SendMessageW(mainWindow(), WM_COMMAND, command, 0);
        pumpMessages();
    }

    // Installs the browser as slot 1, configured as asked, and starts it when asked.
    std::string useBrowser(const std::string& name, bool noDde, bool running) {
        browsers->endAll();
        browsers->configure(noDde ? "NoDde=1\r\n" : "");
        std::string path = browsers->install(name);
        app().settings.browserPath[0] = path;
        if (running) {
            EXPECT_NE(browsers->start(path, "about:blank"), 0u);
        }
        return path;
    }

    // The events of one open, without the start line's pid; "P" in expected stands for the path.
    void expectEvents(const std::vector<std::string>& events, std::vector<std::string> expected,
                      const std::string& path) {
        for (std::string& line : expected)
            if (line.compare(0, 8, "start P ") == 0) line = "start " + path + line.substr(7);
        EXPECT_EQ(events, expected) << joined(events);
    }
};

// Each kind and open mode with the browser running: one command line, handed on to the
// running browser, which opens a tab or a window. No keys are typed, no DDE is asked.
TEST_F(ModernBrowsers, RunningBrowserPerKindAndOpenMode) {
    struct Row {
        const char* browser;
        bool noDde;
        int command;
        std::vector<std::string> expected;
    };
    const std::string tab = "tab http://a.example/", window = "window http://a.example/";
    const Row rows[] = {
        {"chrome", false, CMD_OPEN_ITEM, {"start P --single-argument http://a.example/", tab}},
        {"chrome", false, CMD_OPEN_SLOT1_NEW, {"start P --new-window --single-argument http://a.example/", window}},
        {"chrome", false, CMD_OPEN_SLOT1_TAB, {"start P --single-argument http://a.example/", tab}},
        {"msedge", false, CMD_OPEN_ITEM, {"start P --single-argument http://a.example/", tab}},
        {"msedge", false, CMD_OPEN_SLOT1_NEW, {"start P --new-window --single-argument http://a.example/", window}},
        {"msedge", false, CMD_OPEN_SLOT1_TAB, {"start P --single-argument http://a.example/", tab}},
        {"brave", false, CMD_OPEN_SLOT1_NEW, {"start P --new-window --single-argument http://a.example/", window}},
        {"vivaldi", false, CMD_OPEN_SLOT1_TAB, {"start P --single-argument http://a.example/", tab}},
        {"chromium", false, CMD_OPEN_ITEM, {"start P --single-argument http://a.example/", tab}},
        {"opera", true, CMD_OPEN_SLOT1_NEW, {"start P --new-window --single-argument http://a.example/", window}},
        {"firefox", true, CMD_OPEN_ITEM, {"start P -osint -url http://a.example/", tab}},
        {"firefox", true, CMD_OPEN_SLOT1_NEW, {"start P -new-window http://a.example/", window}},
        {"firefox", true, CMD_OPEN_SLOT1_TAB, {"start P -osint -url http://a.example/", tab}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.browser) + " " + std::to_string(row.command));
        std::string path = useBrowser(row.browser, row.noDde, true);
        app().browser.state.rememberedWindow = nullptr;
        std::size_t mark = browsers->mark();
        open(link, row.command);
        expectEvents(browsers->eventsSince(mark), row.expected, path);
        EXPECT_EQ(findOwnWindow(L"ブラウザの起動"), nullptr);
        if (row.command == CMD_OPEN_ITEM) {
            // The browser's window becomes the one the position restore moves.
            HWND remembered = app().browser.state.rememberedWindow;
            ASSERT_TRUE(IsWindow(remembered));
            EXPECT_NE(windowText(remembered).find(L"Page http://a.example/"), std::wstring::npos);
        }
    }
}

// Not running: the command line starts the browser, whose first window is remembered.
TEST_F(ModernBrowsers, BrowserNotRunningIsStartedWithTheAddress) {
    struct Row { const char* browser; int command; const char* start; };
    const Row rows[] = {
        {"chrome", CMD_OPEN_ITEM, "start P --single-argument http://a.example/"},
        {"msedge", CMD_OPEN_SLOT1_NEW, "start P --new-window --single-argument http://a.example/"},
        {"chromium", CMD_OPEN_SLOT1_TAB, "start P --single-argument http://a.example/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.browser);
        std::string path = useBrowser(row.browser, false, false);
        app().browser.state.rememberedWindow = nullptr;
        std::size_t mark = browsers->mark();
        open(link, row.command);
        expectEvents(browsers->eventsSince(mark), {row.start, "window http://a.example/"}, path);
        if (row.command == CMD_OPEN_ITEM) {
            EXPECT_EQ(classOf(app().browser.state.rememberedWindow), L"Chrome_WidgetWin_1");
        }
    }
}

// Open mode 2: the new window, which the running browser opens, goes to the stored rectangle;
// the window that was there before stays where it was.
TEST_F(ModernBrowsers, PlacedWindowIsTheNewOne) {
    struct Row { const char* browser; bool noDde; const char* flag; };
    const Row rows[] = {{"chrome", false, "--new-window --single-argument"},
                        {"vivaldi", false, "--new-window --single-argument"}, {"firefox", true, "-new-window"}};
    BookmarkItem& record = *nodeRecord(app().document, link);
    record.windowLeft = 100, record.windowTop = 120, record.windowRight = 500, record.windowBottom = 420;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.browser);
        std::string path = useBrowser(row.browser, row.noDde, true);
        std::vector<std::string> before = browsers->lines();
        std::string firstPid = before.back().substr(0, before.back().find(' '));
        std::size_t mark = browsers->mark();
        open(link, CMD_OPEN_SLOT1_PLACED);
        EXPECT_TRUE(browsers->waitFor("move 100 120 400 300", mark, 10000));
        std::vector<std::string> events = browsers->eventsSince(mark);
        ASSERT_GE(events.size(), 2u) << joined(events);
        EXPECT_EQ(events[0], "start " + path + " " + row.flag + " http://a.example/");
        EXPECT_EQ(events[1], "window http://a.example/");
        // Only the new window moved: one move, after the window line.
        std::size_t moves = 0;
        for (const std::string& event : events) moves += event.compare(0, 4, "move") == 0;
        EXPECT_EQ(moves, 1u) << joined(events);
    }
}

// An address that starts like an option is not handed to the browser's command line, where
// the browser would take it for one of its own options.
TEST_F(ModernBrowsers, AddressesThatLookLikeOptionsAreRefused) {
    useBrowser("chrome", false, true);
    NodeId odd = add(root, "Odd", "--renderer-cmd-prefix=calc");
    // The editor makes such an item a program to start; a data file can hold it as a web link.
    BookmarkItem& record = *nodeRecord(app().document, odd);
    app().document.items.renumber(record, withKind(record.itemNumber, kKindWebLink));
    app().document.tree.setItemNumber(odd, record.itemNumber);
    asked.clear();
    std::size_t mark = browsers->mark();
    open(odd, CMD_OPEN_SLOT1_NEW);
    EXPECT_TRUE(browsers->eventsSince(mark).empty()) << joined(browsers->eventsSince(mark));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].text.find(L"Chrome"), std::wstring::npos);
}

// Every kind and open mode against addresses that start like a switch once a browser has
// trimmed white space and controls from them, each as an import brings it in: none reaches
// a browser and the user is told. Shift-JIS has no U+00A0 or U+2028, so those arrive
// percent-encoded and open, as "%2D" does; the address then sits where no switch is read.
TEST_F(ModernBrowsers, SwitchLikeAddressesReachNoBrowser) {
    struct Kind {
        const char* browser;
        bool noDde, running;
        const char* name;
        const char* window;  // the arguments before the address, for a window and a tab
        const char* tab;
    };
    const Kind kinds[] = {
        {"chrome", false, true, "Chrome", "--new-window --single-argument", "--single-argument"},
        {"msedge", false, true, "Edge", "--new-window --single-argument", "--single-argument"},
        {"brave", false, true, "Brave", "--new-window --single-argument", "--single-argument"},
        {"vivaldi", false, true, "Vivaldi", "--new-window --single-argument", "--single-argument"},
        {"chromium", false, true, "Chromium", "--new-window --single-argument", "--single-argument"},
        {"opera", true, true, "Opera", "--new-window --single-argument", "--single-argument"},
        {"firefox", true, true, "Firefox", "-new-window", "-osint -url"},
        // Not running: started with the address on the command line.
        {"firefox", false, false, "Firefox", "", ""},
        {"iexplore", false, false, "IEXPLORE", "", ""},
        {"sleipnir", false, false, "SLEIPNIR", "", ""},
    };
    const int commands[] = {CMD_OPEN_ITEM, CMD_OPEN_SLOT1_NEW, CMD_OPEN_SLOT1_PLACED, CMD_OPEN_SLOT1_TAB};
    // The two that open go the way "%2D" goes, so the first kind shows it for them.
    struct Prefix { std::u16string text; const char* opensAs; bool firstKindOnly; };
    const Prefix prefixes[] = {{u"\u3000", nullptr, false}, {u"\u00A0", "%C2%A0", true}, {u"\u2028", "%E2%80%A8", true},
                               {u"\v", nullptr, false},     {u"\f", nullptr, false},     {u"\r", nullptr, false},
                               {u"\t", nullptr, false},     {u"-", nullptr, false},       {u"/", nullptr, false},
                               {u"%2D", "%2D", false}};
    const std::string rest = "--gpu-launcher=calc.exe";
    NodeId hostile = add(root, "Hostile", "http://a.example/");
    BookmarkItem& record = *nodeRecord(app().document, hostile);
    for (const Kind& kind : kinds) {
        std::string path = useBrowser(kind.browser, kind.noDde, kind.running);
        for (int command : commands) {
            bool window = command == CMD_OPEN_SLOT1_NEW || command == CMD_OPEN_SLOT1_PLACED;
            std::string arguments = window ? kind.window : kind.tab;
            for (const Prefix& prefix : prefixes) {
                if (prefix.firstKindOnly && &kind != kinds) continue;
                SCOPED_TRACE(std::string(kind.browser) + " " + std::to_string(command) + " " +
                             std::to_string(&prefix - prefixes));
                record.locator = utf16ToShiftJis(prefix.text + u"--gpu-launcher=calc.exe", Unrepresentable::PercentEncode);
                if (!kind.running) browsers->endAll();
                asked.clear();
                std::size_t mark = browsers->mark();
                open(hostile, command);
                std::vector<std::string> events = browsers->eventsSince(mark);
                if (!prefix.opensAs) {
                    EXPECT_TRUE(events.empty()) << joined(events);
                    ASSERT_EQ(asked.size(), 1u);
                    EXPECT_EQ(asked[0].text.find(widen("このURLは" + std::string(kind.name) + "に渡せません。")), 0u);
                    continue;
                }
                std::string address = prefix.opensAs + rest;
                ASSERT_FALSE(events.empty());
                EXPECT_EQ(events[0], "start " + path + " " + arguments + (arguments.empty() ? "" : " ") + address);
                EXPECT_TRUE(browsers->waitFor(kind.running && !window ? "tab " + address : "window " + address, mark))
                    << joined(browsers->eventsSince(mark));
                EXPECT_TRUE(asked.empty());
            }
        }
    }
}

// The clipboard as the user left it: some text and a small bitmap.
struct ClipboardContents {
    std::wstring text;
    std::vector<DWORD> pixels;  // of the bitmap, 32 bits each
};

std::vector<DWORD> pixelsOf(HBITMAP bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 3;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(12);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, 3, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void putUserClipboard(HWND owner, const ClipboardContents& contents) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    std::size_t bytes = (contents.text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(block), contents.text.c_str(), bytes);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 3);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 4, 3, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBits(screen, bitmap, 0, 3, contents.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    SetClipboardData(CF_BITMAP, bitmap);
    CloseClipboard();
}

ClipboardContents userClipboard(HWND owner) {
    ClipboardContents contents;
    if (!OpenClipboard(owner)) return contents;
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        contents.text = static_cast<const wchar_t*>(GlobalLock(block));
        GlobalUnlock(block);
    }
    if (HANDLE bitmap = GetClipboardData(CF_BITMAP)) contents.pixels = pixelsOf(static_cast<HBITMAP>(bitmap));
    CloseClipboard();
    return contents;
}

// 608 reads the page from the browser's window: the title without the browser's ending, the
// address by the address-bar keys; the user's clipboard (text and a picture) is given back.
TEST_F(ModernBrowsers, RecordShownPageRestoresTheClipboard) {
    struct Row { const char* browser; bool noDde; };
    const Row rows[] = {{"chrome", false}, {"msedge", false}, {"firefox", true}};
    const ClipboardContents before{L"ユーザーの文字 \u00E9", {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0, 0xFFFFFF,
                                                          0x808080, 0x010203, 0xA0B0C0, 0x0F0F0F, 0xF0F0F0, 0x55AA55}};
    const std::string address = "http://page.example/p?q=1";
    app().treeView.select(root);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.browser);
        std::string path = useBrowser(row.browser, row.noDde, false);
        ASSERT_NE(browsers->start(path, address), 0u);
        putUserClipboard(mainWindow(), before);
        asked.clear();
        answerWith({IDOK});
        std::size_t mark = browsers->mark();
        SendMessageW(mainWindow(), WM_COMMAND, CMD_RECORD_BROWSER_PAGE, 0);
        // The last key is typed on the way out; the browser logs it when it gets to it.
        browsers->waitFor("key escape", mark);
        std::vector<std::string> events = browsers->eventsSince(mark);
        EXPECT_EQ(events, (std::vector<std::string>{"key ctrl+L", "key ctrl+C", "key escape"})) << joined(events);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].caption == L"表示中のURLを登録");
        EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
        const BookmarkItem& record = *nodeRecord(app().document, app().document.tree.lastChild(root));
        EXPECT_EQ(record.title, "Page " + address);
        EXPECT_EQ(record.locator, address);
        ClipboardContents after = userClipboard(mainWindow());
        EXPECT_TRUE(after.text == before.text);
        EXPECT_EQ(after.pixels, before.pixels);
    }
}

// A window of Chrome's class and title that does not answer the keys: the user is told which
// browser could not be read, nothing is recorded, and the clipboard is given back all the same.
TEST_F(ModernBrowsers, UnreadableAddressNamesTheBrowser) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Chrome_WidgetWin_1";
    RegisterClassW(&windowClass);
    HWND silent = CreateWindowExW(0, L"Chrome_WidgetWin_1", L"Quiet page - Google Chrome", WS_OVERLAPPEDWINDOW, 500,
                                  100, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(silent, SW_SHOWNORMAL);
    const ClipboardContents before{L"keep me", std::vector<DWORD>(12, 0x336699)};
    putUserClipboard(mainWindow(), before);
    std::size_t children = 0;
    app().document.tree.walkSubtree(root, [&](NodeId) { ++children; });
    asked.clear();
    SendMessageW(mainWindow(), WM_COMMAND, CMD_RECORD_BROWSER_PAGE, 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text.find(L"Chromeの表示中のURLを取得できませんでした。"), 0u) << narrow(asked[0].text);
    std::size_t after = 0;
    app().document.tree.walkSubtree(root, [&](NodeId) { ++after; });
    EXPECT_EQ(after, children);
    ClipboardContents now = userClipboard(mainWindow());
    EXPECT_TRUE(now.text == before.text);
    EXPECT_EQ(now.pixels, before.pixels);
    DestroyWindow(silent);
}

std::wstring ownerClass() {
    HWND owner = GetClipboardOwner();
    return owner ? classOf(owner) : L"";
}

// A program owns the clipboard with text it renders only when asked, and answers nothing,
// or nothing but that request: 608 cannot save the clipboard, so it leaves it alone, types
// no keys and says why, and the window answers again without the owner's help.
TEST_F(ModernBrowsers, HungClipboardOwnerLeavesTheClipboardAlone) {
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring helper = std::wstring(module).substr(0, std::wstring(module).find_last_of(L'\\')) +
                          L"\\clipboard_owner.exe";
    std::string path = useBrowser("chrome", false, false);
    ASSERT_NE(browsers->start(path, "http://page.example/"), 0u);
    app().treeView.select(root);
    for (const wchar_t* mode : {L"hang", L"hang-on-render"}) {
        SCOPED_TRACE(narrow(mode));
        std::wstring line = L"\"" + helper + L"\" " + mode;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION owner{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &owner));
        for (int i = 0; i < 500 && ownerClass() != L"TestClipboardOwner"; ++i) pumpMessages(20);
        ASSERT_TRUE(ownerClass() == L"TestClipboardOwner");
        asked.clear();
        std::size_t mark = browsers->mark();
        // Should the window hang, the owner is ended so that the test fails rather than waits for ever.
        std::atomic<bool> answered{false}, rescued{false};
        std::thread guard([&] {
            for (int i = 0; i < 1200 && !answered; ++i) Sleep(100);
            if (!answered) rescued = TerminateProcess(owner.hProcess, 0) != 0;
        });
        SendMessageW(mainWindow(), WM_COMMAND, CMD_RECORD_BROWSER_PAGE, 0);
        answered = true;
        guard.join();
        EXPECT_FALSE(rescued) << "the window answered only once the clipboard's owner had ended";
        EXPECT_TRUE(browsers->eventsSince(mark).empty()) << joined(browsers->eventsSince(mark));
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_NE(asked[0].text.find(L"応答しない"), std::wstring::npos) << narrow(asked[0].text);
        EXPECT_TRUE(ownerClass() == L"TestClipboardOwner");  // left as it was
        TerminateProcess(owner.hProcess, 0);
        WaitForSingleObject(owner.hProcess, 5000);
        CloseHandle(owner.hThread);
        CloseHandle(owner.hProcess);
    }
}

// The default browser at start-up: the user's choice for https (or http) under UserChoice
// when there is one, the ".html" association when not, the settings file when neither.
class DefaultBrowserChoice : public MainWindowTest {
protected:
    static constexpr const wchar_t* kChoiceKey =
        L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\%ls\\UserChoice";

    static void setValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    static std::wstring choiceKey(const wchar_t* scheme) {
        wchar_t key[256];
        swprintf(key, 256, kChoiceKey, scheme);
        return key;
    }
    static std::wstring htmlHandler() {
        wchar_t value[256] = L"";
        LONG size = sizeof value;
        RegQueryValueW(HKEY_CLASSES_ROOT, L".html", value, &size);
        return value;
    }
    static void clearChoices() {
        for (const wchar_t* scheme : {L"https", L"http"}) RegDeleteKeyW(HKEY_CURRENT_USER, choiceKey(scheme).c_str());
    }

    void SetUp() override {
        MainWindowTest::SetUp();
        previousHtml = htmlHandler();
        clearChoices();
    }
    void TearDown() override {
        clearChoices();
        for (const wchar_t* key : {L"PerchletTestHTM\\shell\\open\\command", L"PerchletTestHTM\\shell\\open",
                                   L"PerchletTestHTM\\shell", L"PerchletTestHTM", L"PerchletTestPage\\shell\\open\\command",
                                   L"PerchletTestPage\\shell\\open", L"PerchletTestPage\\shell", L"PerchletTestPage"})
            RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
        setValue(HKEY_CLASSES_ROOT, L".html", nullptr, previousHtml);
        MainWindowTest::TearDown();
    }

    std::wstring previousHtml;
};

TEST_F(DefaultBrowserChoice, UserChoiceBeforeTheHtmlAssociation) {
    setValue(HKEY_CLASSES_ROOT, L"PerchletTestHTM\\shell\\open\\command", nullptr,
             L"\"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe\" --single-argument %1");
    setValue(HKEY_CLASSES_ROOT, L"PerchletTestPage\\shell\\open\\command", nullptr, L"C:\\F\\FIREFOX.EXE -url %1");
    setValue(HKEY_CLASSES_ROOT, L".html", nullptr, L"PerchletTestPage");
    struct Row { const wchar_t* scheme; const char* slot1; };
    const Row rows[] = {
        {L"https", "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"},
        {L"http", "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"},
        {nullptr, "C:\\F\\FIREFOX.EXE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slot1);
        clearChoices();
        if (row.scheme) setValue(HKEY_CURRENT_USER, choiceKey(row.scheme), L"ProgId", L"PerchletTestHTM");
        writeBytes(pathInFolder("inifile.ini"), "[Option]\r\nFileOpen=0\r\nBrowsPass1=C:\\s\\settings.exe\r\n");
        startMainWindow();
        EXPECT_EQ(app().settings.browserPath[0], row.slot1);
        destroyMainWindow();
    }
    // A choice whose program has no open command leaves the ".html" association in charge.
    setValue(HKEY_CURRENT_USER, choiceKey(L"https"), L"ProgId", L"PerchletTestMissing");
    startMainWindow();
    EXPECT_EQ(app().settings.browserPath[0], "C:\\F\\FIREFOX.EXE");
}

}  // namespace
