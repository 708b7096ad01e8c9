// Docking the panels at the right of the real main window.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/main_window_win.h"
#include "main_window_fixture.h"
#include "panels/panel_dock_win.h"
#include "shell/command_ids.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

int widthOf(const RECT& r) { return r.right - r.left; }

bool menuItemGreyed(HWND window, UINT command) {
    return (GetMenuState(GetMenu(window), command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// Stands in for the editor panel: the same docking with its own kind and close message.
INT_PTR CALLBACK stubEditorProc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == kCloseEditorMessage) {
        closePanel(theApp().panels, PanelKind::Editor);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

INT_PTR CALLBACK deafEditorProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class PanelDock : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
    }
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages();
    }
    void expectDocked(const PanelState& panel) {
        RECT client{};
        GetClientRect(mainWindow(), &client);
        RECT place = windowRect(panel.window);
        MapWindowPoints(nullptr, mainWindow(), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, client.right - panel.width);
        EXPECT_EQ(place.top, app().toolbarHeight);
        EXPECT_EQ(place.bottom, client.bottom);
        EXPECT_EQ(widthOf(windowRect(treeWindow())), client.right - panel.width);
    }
};

}  // namespace

TEST_F(PanelDock, OptionsPanelWidensTheWindowAndClosesBackToItsWidth) {
    RECT before = windowRect(mainWindow());
    command(CMD_OPTIONS_PANEL);
    const PanelState& options = app().panels.options;
    ASSERT_TRUE(options.open);
    ASSERT_TRUE(IsWindowVisible(options.window));
    EXPECT_GT(options.width, 0);
    EXPECT_EQ(GetParent(options.window), mainWindow());
    RECT open = windowRect(mainWindow());
    EXPECT_EQ(widthOf(open), widthOf(before) + options.width);
    EXPECT_EQ(open.left, before.left);
    EXPECT_EQ(open.top, before.top);
    EXPECT_TRUE(menuItemGreyed(mainWindow(), CMD_OPTIONS_PANEL));
    expectDocked(options);
    // The recorded rectangle leaves the panel out.
    EXPECT_EQ(app().recordedMainRect.right, open.right - options.width);

    HWND panel = options.window;
    command(CMD_OPTIONS_PANEL);  // already open: nothing
    EXPECT_EQ(app().panels.options.window, panel);
    EXPECT_EQ(widthOf(windowRect(mainWindow())), widthOf(open));

    SendDlgItemMessageW(panel, IDC_OPT_CLOSE, BM_CLICK, 0, 0);
    pumpMessages();
    EXPECT_FALSE(app().panels.options.open);
    EXPECT_FALSE(IsWindow(panel));
    EXPECT_EQ(app().panels.options.window, nullptr);
    EXPECT_FALSE(menuItemGreyed(mainWindow(), CMD_OPTIONS_PANEL));
    RECT closed = windowRect(mainWindow());
    EXPECT_EQ(widthOf(closed), widthOf(before));
    EXPECT_EQ(closed.bottom - closed.top, before.bottom - before.top);
    RECT client{};
    GetClientRect(mainWindow(), &client);
    EXPECT_EQ(widthOf(windowRect(treeWindow())), client.right);
}

TEST_F(PanelDock, OpeningOnePanelClosesTheOther) {
    RECT before = windowRect(mainWindow());
    ASSERT_TRUE(openPanel(app().panels, PanelKind::Editor, L"MYOPTION", stubEditorProc));
    EXPECT_TRUE(menuItemGreyed(mainWindow(), CMD_EDITOR_PANEL));
    HWND editor = app().panels.editor.window;

    command(CMD_OPTIONS_PANEL);
    EXPECT_FALSE(app().panels.editor.open);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_FALSE(menuItemGreyed(mainWindow(), CMD_EDITOR_PANEL));
    ASSERT_TRUE(app().panels.options.open);
    EXPECT_EQ(widthOf(windowRect(mainWindow())), widthOf(before) + app().panels.options.width);
    expectDocked(app().panels.options);

    ASSERT_TRUE(openPanel(app().panels, PanelKind::Editor, L"MYOPTION", stubEditorProc));
    EXPECT_FALSE(app().panels.options.open);
    EXPECT_TRUE(app().panels.editor.open);
    EXPECT_EQ(widthOf(windowRect(mainWindow())), widthOf(before) + app().panels.editor.width);
    closePanel(app().panels, PanelKind::Editor);
    EXPECT_EQ(widthOf(windowRect(mainWindow())), widthOf(before));

    // A panel deaf to its close message still gives way.
    ASSERT_TRUE(openPanel(app().panels, PanelKind::Editor, L"MYOPTION", deafEditorProc));
    command(CMD_OPTIONS_PANEL);
    EXPECT_FALSE(app().panels.editor.open);
    EXPECT_EQ(widthOf(windowRect(mainWindow())), widthOf(before) + app().panels.options.width);
}

TEST_F(PanelDock, AMissingTemplateSaysSoAndOpensNothing) {
    EXPECT_FALSE(openPanel(app().panels, PanelKind::Editor, L"NO_SUCH_TEMPLATE", stubEditorProc));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"パネルを開けませんでした。");
    EXPECT_TRUE(asked[0].caption == L"パネルを開く");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(app().panels.editor.open);
    EXPECT_FALSE(menuItemGreyed(mainWindow(), CMD_EDITOR_PANEL));
}

TEST_F(PanelDock, TheScrollBarBringsThePanelsLowestGroupIn) {
    command(CMD_OPTIONS_PANEL);
    HWND panel = app().panels.options.window;
    // A window of the least height the panel allows still cannot show the lowest group.
    RECT rect = windowRect(mainWindow());
    MoveWindow(mainWindow(), rect.left, rect.top, widthOf(rect), 480, TRUE);
    pumpMessages();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(mainWindow(), SB_VERT, &info);
    RECT panelClient{};
    GetClientRect(panel, &panelClient);
    EXPECT_EQ(static_cast<int>(info.nPage), panelClient.bottom / 10);

    HWND lowest = GetDlgItem(panel, IDC_OPT_BROWSER_HEIGHT_MAX);
    auto topInPanel = [&] {
        RECT r = windowRect(lowest);
        MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
        return r.top;
    };
    int top = topInPanel();
    EXPECT_GT(top, panelClient.bottom);
    for (int i = 0; i < 3; ++i) SendMessageW(mainWindow(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(topInPanel(), top - 30);
    SendMessageW(mainWindow(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_LT(topInPanel(), panelClient.bottom);
    // The wheel over the panel scrolls it three steps a notch, whichever control has the keys.
    SendMessageW(mainWindow(), WM_VSCROLL, SB_TOP, 0);
    RECT over = windowRect(panel);
    MSG wheel{};
    wheel.hwnd = treeWindow();
    wheel.message = WM_MOUSEWHEEL;
    wheel.wParam = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
    wheel.lParam = MAKELPARAM(over.left + 5, over.top + 5);
    EXPECT_TRUE(routeThreadMessage(app(), wheel));
    EXPECT_EQ(topInPanel(), top - 30);
}
