#include "main_window_fixture.h"

#include <fstream>
#include <sstream>
#include <shellapi.h>

#include "app/main_window_win.h"
#include "shell/text_win.h"
#include "store/tree_population.h"

namespace perchlet::testing {

void pumpMessages(int milliseconds) {
    DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            if (routeThreadMessage(theApp(), message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (milliseconds > 0) Sleep(10);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

std::wstring makeTempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    wchar_t name[MAX_PATH];
    GetTempFileNameW(base, L"pch", 0, name);
    DeleteFileW(name);
    CreateDirectoryW(name, nullptr);
    return name;
}

void removeFolder(const std::wstring& path) {
    std::wstring from = path + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&operation);
}

std::wstring wideFromUtf8(const char* utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length > 0 ? length - 1 : 0));
    return wide;
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(widen(path).c_str(), std::ios::binary);
    out << bytes;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(widen(path).c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileExists(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring treeItemText(HWND tree, HTREEITEM item) {
    wchar_t text[1024] = L"";
    TVITEMW query{};
    query.hItem = item;
    query.mask = TVIF_TEXT;
    query.pszText = text;
    query.cchTextMax = 1024;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

void MainWindowTest::SetUp() {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    previousFolder_ = current;
    folder = makeTempFolder();
    SetCurrentDirectoryW(folder.c_str());
    setMessageBoxResponder([this](const MessageBoxRequest& request) {
        asked.push_back({widen(request.text), widen(request.caption), request.type});
        if (answers_.empty()) return IDOK;
        int answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    });
    setFileDialogResponder([this](const FileDialogRequest& request) {
        dialogs.push_back(request);
        if (paths_.empty()) return std::wstring();
        std::wstring path = paths_.front();
        paths_.erase(paths_.begin());
        return path;
    });
}

void MainWindowTest::chooseFiles(const std::vector<std::string>& paths) {
    paths_.clear();
    for (const std::string& path : paths) paths_.push_back(widen(path));
}

std::string MainWindowTest::pathInFolder(const std::string& name) const {
    return narrow(folder) + "\\" + name;
}

void MainWindowTest::startMainWindow() {
    resetApp();
    App& app = theApp();
    app.instance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(registerMainWindowClass(app.instance));
    ASSERT_NE(createMainWindow(app), nullptr);
    ShowWindow(app.mainWindow, SW_SHOWNORMAL);
    UpdateWindow(app.mainWindow);
    app.accelerators = LoadAcceleratorsW(app.instance, L"MYACCEL");
    // The tests build their documents from Shift-JIS literals. A test of what a new document
    // is makes one with 新規作成.
    if (!app.document.loaded) app.document.file.encoding = TextEncoding::ShiftJis;
    pumpMessages(50);
}

void MainWindowTest::destroyMainWindow() {
    if (theApp().mainWindow && IsWindow(theApp().mainWindow)) DestroyWindow(theApp().mainWindow);
    pumpMessages();
}

std::size_t MainWindowTest::openWholeTree() {
    const BookmarkTree& tree = app().document.tree;
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) {
        tree.walkSubtree(top, [&](NodeId node) {
            if (tree.hasChildren(node)) app().treeView.expand(node);
        });
    }
    app().treeView.finishBatches();
    return static_cast<std::size_t>(TreeView_GetCount(treeWindow()));
}

void SampleTreeTest::SetUp() {
    MainWindowTest::SetUp();
    startMainWindow();
    root = insertRootItem(app().document);
    tools = add(root, "Tools");
    example = add(tools, "Example", "http://example.com/");
    sub = add(tools, "Sub");
    deep = add(sub, "Deep", "http://deep.example.com/");
    other = add(root, "Other");
    link = add(root, "Link", "http://link.example.com/");
    app().treeView.expand(root);
}

void MainWindowTest::TearDown() {
    destroyMainWindow();
    setMessageBoxResponder(nullptr);
    setFileDialogResponder(nullptr);
    SetCurrentDirectoryW(previousFolder_.c_str());
    removeFolder(folder);
}

}  // namespace perchlet::testing
