// Restoring, hiding and showing the real main window, and its tray icon's messages.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/placement_win.h"
#include "app/toolbar_win.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

class Placement : public MainWindowTest {
protected:
    void start(const std::string& settings) {
        writeBytes(pathInFolder("inifile.ini"), settings);
        startMainWindow();
    }
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages();
    }
    RECT rect() {
        RECT r{};
        GetWindowRect(mainWindow(), &r);
        return r;
    }
    bool shown() { return IsWindowVisible(mainWindow()) != FALSE; }
    void tray(WPARAM id, LPARAM mouse) {
        SendMessageW(mainWindow(), WM_USER, id, mouse);
        pumpMessages();
    }
};

}  // namespace

TEST_F(Placement, RestoreUsesTheSettingsMaxAndTheOpenPanel) {
    start("[Option]\r\nFileOpen=0\r\n[Window]\r\nMainXPos=600\r\nMainYPos=30\r\nMainWidth=MAX\r\nMainHight=500\r\n");
    MoveWindow(mainWindow(), 5, 5, 300, 600, TRUE);
    command(CMD_RESTORE_MAIN_POS);
    RECT r = rect();
    EXPECT_EQ(r.left, 600);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right, app().workArea.right);
    EXPECT_EQ(r.bottom, 530);

    command(CMD_OPTIONS_PANEL);
    MoveWindow(mainWindow(), 5, 5, 900, 600, TRUE);
    command(CMD_RESTORE_MAIN_POS);
    r = rect();
    EXPECT_EQ(r.left, 600);
    EXPECT_EQ(r.right, app().workArea.right + app().panels.options.width);
    // Without the panel's width the recorded rectangle is the settings' one.
    EXPECT_EQ(app().recordedMainRect.right, app().workArea.right);
}

TEST_F(Placement, RestoreWithoutSettingsGoesToTheCornerAtTheLeastSize) {
    startMainWindow();
    MoveWindow(mainWindow(), 50, 60, 300, 600, TRUE);
    command(CMD_RESTORE_MAIN_POS);
    RECT r = rect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_LT(r.right - r.left, 300);  // the system's minimum, not 0
    EXPECT_TRUE(IsWindow(mainWindow()));
}

TEST_F(Placement, HiddenWindowComesBackFromTheEdgeWhereItWas) {
    startMainWindow();
    RECT before = rect();
    command(CMD_HIDE_WINDOW);
    ASSERT_FALSE(shown());
    for (int i = 0; i < 5; ++i) edgeTimerTick(app(), POINT{5, 400});
    EXPECT_FALSE(shown());
    // The real timer message reads the real cursor; the third tick at x < 5 shows.
    ASSERT_TRUE(SetCursorPos(4, 300));
    for (int i = 0; i < 2; ++i) SendMessageW(mainWindow(), WM_TIMER, 1, 0);
    EXPECT_FALSE(shown());
    SendMessageW(mainWindow(), WM_TIMER, 1, 0);
    EXPECT_TRUE(shown());
    EXPECT_FALSE(app().hidden);
    EXPECT_EQ(app().edgeCounter, 0);
    RECT after = rect();
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_FALSE(KillTimer(mainWindow(), 1));  // stopped with the show
    SetCursorPos(640, 500);
}

TEST_F(Placement, TrayAndMenuShowOnlyWhileHidden) {
    startMainWindow();
    // While shown: nothing, and no edge timer starts.
    tray(TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    command(CMD_TRAY_RESTORE);
    EXPECT_TRUE(shown());
    EXPECT_FALSE(app().hidden);
    EXPECT_FALSE(KillTimer(mainWindow(), 1));

    struct Case {
        const char* name;
        WPARAM id;
        LPARAM mouse;
        int command;
        bool shows;
    };
    const Case cases[] = {
        {"double click on the icon", TRAY_ICON_ID, WM_LBUTTONDBLCLK, 0, true},
        {"the tray menu's restore", 0, 0, CMD_TRAY_RESTORE, true},
        {"another icon's double click", TRAY_ICON_ID + 1, WM_LBUTTONDBLCLK, 0, false},
        {"right button", TRAY_ICON_ID, WM_RBUTTONDOWN, 0, false},
        {"right double click", TRAY_ICON_ID, WM_RBUTTONDBLCLK, 0, false},
        {"mouse move", TRAY_ICON_ID, WM_MOUSEMOVE, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        command(CMD_HIDE_WINDOW);
        if (c.command) command(c.command);
        else tray(c.id, c.mouse);
        EXPECT_EQ(shown(), c.shows);
        EXPECT_EQ(app().hidden, !c.shows);
        showMainWindow(app());
    }
}

TEST_F(Placement, ARestartedNotificationAreaGetsTheIconAgain) {
    startMainWindow();
    ASSERT_TRUE(app().trayIconShown);
    removeTrayIcon(app());
    ASSERT_FALSE(app().trayIconShown);
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    SendMessageW(mainWindow(), taskbarCreated, 0, 0);
    EXPECT_TRUE(app().trayIconShown);
    // Told twice, while the icon is still there: it stays.
    SendMessageW(mainWindow(), taskbarCreated, 0, 0);
    EXPECT_TRUE(app().trayIconShown);
}

// A stored position on the screen stays as it is; one off every screen comes back into the
// work area, with its size, at start-up and on command 119.
TEST_F(Placement, AWindowOffEveryScreenComesBackIntoTheWorkArea) {
    struct Row {
        const char *x, *y;
        bool kept;
    };
    const Row rows[] = {
        {"200", "40", true},
        {"-100", "0", true},  // partly off to the left, its title bar still there to grab
        {"3000", "30", false},
        {"99999999999", "99999999999", false},
        {"-5000", "-5000", false},
        {"0", "1020", false},  // its title bar under the bottom edge
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.x) + "," + row.y);
        start(std::string("[Option]\r\nFileOpen=0\r\n[Window]\r\nMainXPos=") + row.x +
              "\r\nMainYPos=" + row.y + "\r\nMainWidth=300\r\nMainHight=500\r\n");
        const RECT& work = app().workArea;
        for (bool restored : {false, true}) {
            if (restored) command(CMD_RESTORE_MAIN_POS);
            RECT r = rect();
            EXPECT_EQ(r.right - r.left, 300);
            EXPECT_EQ(r.bottom - r.top, 500);
            if (row.kept) {
                EXPECT_EQ(r.left, atoi(row.x));
                EXPECT_EQ(r.top, atoi(row.y));
            } else {
                EXPECT_GE(r.left, work.left);
                EXPECT_LE(r.right, work.right);
                EXPECT_GE(r.top, work.top);
                EXPECT_LE(r.bottom, work.bottom);
            }
        }
        asked.clear();
        destroyMainWindow();
    }
}

// A size of 0 gets the system's least size: the rectangle the window really has, not the
// stored one, decides whether its title bar can be reached, at start-up and on command 119.
TEST_F(Placement, AWindowMadeLargerByTheSystemStillComesBackOnScreen) {
    const char* rows[] = {"MainXPos=0\r\nMainYPos=5000\r\nMainWidth=264\r\nMainHight=0\r\n",
                          "MainXPos=5000\r\nMainYPos=0\r\nMainWidth=0\r\nMainHight=800\r\n"};
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        start(std::string("[Option]\r\nFileOpen=0\r\n[Window]\r\n") + row);
        const RECT& work = app().workArea;
        for (bool restored : {false, true}) {
            if (restored) command(CMD_RESTORE_MAIN_POS);
            RECT r = rect();
            EXPECT_GT(r.right - r.left, 0);
            EXPECT_GT(r.bottom - r.top, 0);
            EXPECT_GE(r.left, work.left);
            EXPECT_LE(r.right, work.right);
            EXPECT_GE(r.top, work.top);
            EXPECT_LE(r.bottom, work.bottom);
        }
        destroyMainWindow();
    }
}

// The options panel opened beside a window reaching the work area's edge moves the window
// left so that the whole panel shows; closing gives back the window's own place and width,
// however often it is done.
TEST_F(Placement, TheOptionsPanelOpensOnScreenAndClosingGivesTheWindowBack) {
    // Sizes above the window's own least size, which the system applies at the next move.
    for (const char* width : {"MAX", "500"}) {
        SCOPED_TRACE(width);
        start(std::string("[Option]\r\nFileOpen=0\r\n[Window]\r\nMainXPos=100\r\nMainYPos=30\r\n"
                          "MainWidth=") + width + "\r\nMainHight=600\r\n");
        const RECT& work = app().workArea;
        const RECT before = rect();
        bool fits = std::string(width) != "MAX";
        ASSERT_EQ(before.left, 100);
        for (int cycle = 0; cycle < 3; ++cycle) {
            command(CMD_OPTIONS_PANEL);
            ASSERT_TRUE(app().panels.options.open);
            RECT panel{};
            GetWindowRect(app().panels.options.window, &panel);
            EXPECT_GE(panel.left, work.left);
            EXPECT_LE(panel.right, work.right);
            if (fits) {
                EXPECT_EQ(rect().left, before.left);
                EXPECT_EQ(rect().right - rect().left, before.right - before.left + app().panels.options.width);
            }
            SendDlgItemMessageW(app().panels.options.window, IDC_OPT_CLOSE, BM_CLICK, 0, 0);
            pumpMessages();
            ASSERT_FALSE(app().panels.options.open);
            RECT after = rect();
            EXPECT_EQ(after.left, before.left);
            EXPECT_EQ(after.top, before.top);
            EXPECT_EQ(after.right, before.right);
            EXPECT_EQ(after.bottom, before.bottom);
        }
        // Command 119 with the panel open, then closing: the settings' place and size.
        command(CMD_OPTIONS_PANEL);
        command(CMD_RESTORE_MAIN_POS);
        SendDlgItemMessageW(app().panels.options.window, IDC_OPT_CLOSE, BM_CLICK, 0, 0);
        pumpMessages();
        RECT restored = rect();
        EXPECT_TRUE(EqualRect(&restored, &before));
        asked.clear();
        destroyMainWindow();
    }
}
