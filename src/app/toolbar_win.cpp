#include "app/toolbar_win.h"

#include <shellapi.h>

#include "app/placement_win.h"
#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"

namespace perchlet {

namespace {

struct ToolbarButton {
    int image;
    int command;
    int tooltip;
};

constexpr ToolbarButton kButtons[] = {
    {0, CMD_OPEN_DATA_FILE, IDS_TIP_OPEN},
    {1, CMD_SAVE, IDS_TIP_SAVE},
    {2, CMD_RESTORE_BROWSER_POS, IDS_TIP_BROWSER_POS},
    {3, CMD_EDITOR_PANEL, IDS_TIP_EDITOR},
    {4, CMD_UPDATE_CHECK, IDS_TIP_UPDATE_CHECK},
    {5, CMD_RECORD_BROWSER_PAGE, IDS_TIP_RECORD_PAGE},
    {6, CMD_HIDE_WINDOW, IDS_TIP_HIDE},
};
constexpr int kButtonCount = sizeof kButtons / sizeof kButtons[0];
constexpr int kSeparatorPlace = 2;

// The images are drawn 28 x 20 for 100 % and again for 150 % and 200 %, on a grey ground
// that is left out; a button is the image with room around it, 35 x 26 at 100 %.
constexpr int kImageWidth = 28;
constexpr int kImageHeight = 20;
constexpr int kButtonWidth = 35;
constexpr int kButtonHeight = 26;
constexpr COLORREF kImageGround = RGB(192, 192, 192);

struct ToolbarStrip {
    int resource;
    int imageHeight;
};
constexpr ToolbarStrip kStrips[] = {{IDB_TOOLBAR, 20}, {IDB_TOOLBAR_150, 30}, {IDB_TOOLBAR_200, 40}};

HIMAGELIST loadToolbarImages(HINSTANCE instance, int dpi) {
    int height = drawnSizeFor({20, 30, 40}, scaledForDpi(kImageHeight, dpi));
    int resource = IDB_TOOLBAR;
    for (const ToolbarStrip& strip : kStrips)
        if (strip.imageHeight == height) resource = strip.resource;
    int width = height * kImageWidth / kImageHeight;
    HIMAGELIST images = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, kButtonCount, 0);
    HBITMAP strip = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, 0));
    if (images && strip) ImageList_AddMasked(images, strip, kImageGround);
    if (strip) DeleteObject(strip);
    return images;
}

}  // namespace

void fitToolbarToScale(HWND toolbar, HINSTANCE instance, int dpi) {
    HIMAGELIST images = loadToolbarImages(instance, dpi);
    HIMAGELIST old = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
    if (old) ImageList_Destroy(old);
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(scaledForDpi(kButtonWidth, dpi), scaledForDpi(kButtonHeight, dpi)));
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
}

void destroyToolbarImages(HWND toolbar) {
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_SETIMAGELIST, 0, 0));
    if (images) ImageList_Destroy(images);
}

HWND createToolbar(HWND parent, HINSTANCE instance, int dpi) {
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS,
                                   0, 0, 0, 0, parent, reinterpret_cast<HMENU>(IDC_TOOLBAR), instance, nullptr);
    if (!toolbar) return nullptr;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(loadToolbarImages(instance, dpi)));

    TBBUTTON buttons[kButtonCount]{};
    for (int i = 0; i < kButtonCount; ++i) {
        buttons[i].iBitmap = kButtons[i].image;
        buttons[i].idCommand = kButtons[i].command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
    SendMessageW(toolbar, TB_ADDBUTTONSW, kButtonCount, reinterpret_cast<LPARAM>(buttons));
    TBBUTTON separator{};
    separator.fsStyle = TBSTYLE_SEP;
    SendMessageW(toolbar, TB_INSERTBUTTONW, kSeparatorPlace, reinterpret_cast<LPARAM>(&separator));
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(scaledForDpi(kButtonWidth, dpi), scaledForDpi(kButtonHeight, dpi)));
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}

int tooltipStringFor(int command) {
    for (const ToolbarButton& button : kButtons)
        if (button.command == command) return button.tooltip;
    return 0;
}

void answerTooltip(App& app, NMTTDISPINFOW& request) {
    int stringId = tooltipStringFor(static_cast<int>(request.hdr.idFrom));
    if (stringId == 0) return;
    request.hinst = app.instance;
    request.lpszText = MAKEINTRESOURCEW(stringId);
}

static NOTIFYICONDATAW trayIconData(App& app) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = app.mainWindow;
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER;
    data.hIcon = app.trayIcon;
    lstrcpynW(data.szTip, L"Perchlet", ARRAYSIZE(data.szTip));
    return data;
}

void addTrayIcon(App& app) {
    // The notification area draws at the system's scale, whatever the window's monitor.
    if (!app.trayIcon) {
        int size = GetSystemMetrics(SM_CXSMICON);
        app.trayIcon = loadIconSized(app.instance, L"perchlet_icon", size);
    }
    NOTIFYICONDATAW data = trayIconData(app);
    app.trayIconShown = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void removeTrayIcon(App& app) {
    NOTIFYICONDATAW data = trayIconData(app);
    Shell_NotifyIconW(NIM_DELETE, &data);
    app.trayIconShown = false;
}

static void showTrayMenu(App& app) {
    HMENU menu = LoadMenuW(app.instance, L"RTRAY_MENU");
    if (!menu) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(app.mainWindow);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, app.mainWindow, nullptr);
    // Lets the menu's end finish before the next click on the icon, so a second click opens
    // the menu again.
    PostMessageW(app.mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void onTrayCallback(App& app, WPARAM id, LPARAM mouseMessage) {
    if (id != TRAY_ICON_ID) return;
    if (mouseMessage == WM_LBUTTONDOWN) showTrayMenu(app);
    if (mouseMessage == WM_LBUTTONDBLCLK) showMainWindow(app);  // nothing while the window shows
}

}  // namespace perchlet
