#include "app/main_window_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/caption_fit.h"
#include "app/commands_win.h"
#include "app/menus_win.h"
#include "app/panel_scroll.h"
#include "app/placement_win.h"
#include "app/startup_settings_win.h"
#include "app/toolbar_win.h"
#include "browser/dde_client_win.h"
#include "browser/open_link_win.h"
#include "document/disk_check_win.h"
#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_state_win.h"
#include "tree/rename_win.h"
#include "tree/tree_view_proc_win.h"

namespace perchlet {

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, kMainWindowClass, &windowClass)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = loadIconSized(instance, L"perchlet_icon", GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = loadIconSized(instance, L"perchlet_icon", GetSystemMetrics(SM_CXSMICON));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = L"perchlet_menu";
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

HWND createMainWindow(App& app) {
    app.mainWindow = CreateWindowExW(WS_EX_PALETTEWINDOW, kMainWindowClass, L"Perchlet",
                                     WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0, kMainWindowWidth, 800,
                                     nullptr, nullptr, app.instance, &app);
    return app.mainWindow;
}

namespace {

void readStartupDirectory(App& app) {
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    app.startupFolderWide = directory;
    app.startupFolderShiftJis = narrow(directory);
    if (app.startupFolderShiftJis.size() > MAX_PATH - 1) app.startupFolderShiftJis.resize(MAX_PATH - 1);
}

int outerHeight(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

LRESULT onCreate(App& app, HWND window) {
    app.mainWindow = window;
    app.fullCaption = L"Perchlet";
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    readStartupDirectory(app);
    app.dpi = dpiOfWindow(window);
    app.uiFont = createMessageFont(app.dpi);

    app.toolbar = createToolbar(window, app.instance, app.dpi);
    app.toolbarHeight = app.toolbar ? outerHeight(app.toolbar) : 0;

    app.treeView.followScale(app.dpi, nullptr);
    app.treeView.buildImageList(app.instance);
    HWND tree = app.treeView.create(window, app.instance, app.toolbarHeight);
    app.treeView.followScale(app.dpi, app.uiFont);
    installTreeViewHandler(tree);
    SetFocus(tree);

    SystemParametersInfoW(SPI_GETWORKAREA, 0, &app.workArea, 0);
    MoveWindow(window, 0, 0, defaultMainWidth(window, app.dpi), app.workArea.bottom - app.workArea.top, TRUE);

    app.documentCommands.savedToFile = [&app](const std::wstring& path) { rememberDocumentForNextStart(app, path); };
    // The caption marks unsaved changes whenever they come or go.
    app.document.history.setModifiedObserver(
        [&app](bool modified) { followModifiedInCaption(app.mainWindow, modified); });
    applyStartupSettings(app);
    addTrayIcon(app);
    return 0;
}

const PanelState* openPanelState(const App& app) {
    if (app.panels.editor.open) return &app.panels.editor;
    if (app.panels.options.open) return &app.panels.options;
    return nullptr;
}

int clientHeightOf(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect.bottom - rect.top;
}

void recordMainRect(App& app) {
    GetWindowRect(app.mainWindow, &app.recordedMainRect);
    if (const PanelState* panel = openPanelState(app)) app.recordedMainRect.right -= panel->width;
}

int panelScrollPixels(const App& app) { return scaledForDpi(kPanelScrollPixels, app.dpi); }

PanelScrollRange panelRangeOf(const App& app) {
    const PanelState* panel = openPanelState(app);
    if (!panel) return {};
    return panelScrollRange(true, panel->contentHeight, clientHeightOf(panel->window), panelScrollPixels(app));
}

void updateScrollBar(App& app) {
    PanelScrollRange range = panelRangeOf(app);
    // A window made taller shows more of the panel: the position stays within the range.
    int step = std::min(0, range.lastPosition() - app.panels.scrollPosition);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = range.maximum;
    info.nPage = static_cast<UINT>(range.page);
    info.nPos = app.panels.scrollPosition + step;
    SetScrollInfo(app.mainWindow, SB_VERT, &info, TRUE);
    if (step != 0) {
        app.panels.scrollPosition += step;
        if (const PanelState* panel = openPanelState(app))
            ScrollWindowEx(panel->window, 0, -panelScrollPixels(app) * step, nullptr, nullptr, nullptr, nullptr,
                           SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    }
}

ScrollRequest scrollRequestOf(WORD code) {
    switch (code) {
    case SB_LINEUP: return ScrollRequest::LineUp;
    case SB_LINEDOWN: return ScrollRequest::LineDown;
    case SB_PAGEUP: return ScrollRequest::PageUp;
    case SB_PAGEDOWN: return ScrollRequest::PageDown;
    case SB_THUMBTRACK: return ScrollRequest::ThumbTrack;
    case SB_THUMBPOSITION: return ScrollRequest::ThumbPosition;
    case SB_TOP: return ScrollRequest::Top;
    case SB_BOTTOM: return ScrollRequest::Bottom;
    default: return ScrollRequest::Other;
    }
}

void scrollPanelBy(App& app, int step) {
    if (step == 0) return;
    app.panels.scrollPosition += step;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = app.panels.scrollPosition;
    SetScrollInfo(app.mainWindow, SB_VERT, &info, TRUE);
    if (const PanelState* panel = openPanelState(app))
        ScrollWindowEx(panel->window, 0, -panelScrollPixels(app) * step, nullptr, nullptr, nullptr, nullptr,
                       SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    UpdateWindow(app.mainWindow);
}

void onVerticalScroll(App& app, WPARAM wParam) {
    scrollPanelBy(app, panelScrollStep(scrollRequestOf(LOWORD(wParam)), app.panels.scrollPosition, HIWORD(wParam),
                                       panelRangeOf(app)));
}

}  // namespace

bool scrollPanelByWheel(App& app, WPARAM wParam, LPARAM lParam) {
    const PanelState* panel = openPanelState(app);
    RECT rect{};
    POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!panel || !GetWindowRect(panel->window, &rect) || !PtInRect(&rect, cursor)) return false;
    scrollPanelBy(app, panelWheelStep(GET_WHEEL_DELTA_WPARAM(wParam), app.panels.scrollPosition, panelRangeOf(app)));
    return true;
}

namespace {

void onMinMaxInfo(App& app, MINMAXINFO& info) {
    info.ptMinTrackSize.x = scaledForDpi(480, app.dpi);
    info.ptMinTrackSize.y = app.toolbarHeight + scaledForDpi(480, app.dpi);
}

// The caption as the system draws it: the file name shortened in its middle to the title
// bar's width. The whole caption stays what the window's text reads as.
void showFittedCaption(App& app, HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    int frame = systemMetricForDpi(SM_CXSIZEFRAME, app.dpi) + systemMetricForDpi(SM_CXPADDEDBORDER, app.dpi);
    int available = (outer.right - outer.left) - 2 * frame - systemMetricForDpi(SM_CXSMSIZE, app.dpi) -
                    scaledForDpi(8, app.dpi);
    LOGFONTW captionFont = smallCaptionFontAt(app.dpi);
    HFONT font = CreateFontIndirectW(&captionFont);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    auto fits = [&](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx <= available;
    };
    std::wstring shown = fittedCaption(app.fullCaption, fits);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    DeleteObject(font);
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

LRESULT onSetCaption(App& app, HWND window, const wchar_t* text) {
    app.fullCaption = text ? text : L"";
    showFittedCaption(app, window);
    return TRUE;
}

LRESULT onGetCaption(const App& app, WPARAM size, wchar_t* buffer) {
    if (size == 0 || !buffer) return 0;
    lstrcpynW(buffer, app.fullCaption.c_str(), static_cast<int>(size));
    return lstrlenW(buffer);
}

// Moved to a monitor of another scale: the fonts, pictures and sizes for it, then the
// rectangle the system suggests.
void onDpiChanged(App& app, HWND window, int dpi, const RECT& suggested) {
    int oldDpi = app.dpi;
    scrollPanelBy(app, -app.panels.scrollPosition);
    app.dpi = dpi;
    HFONT oldFont = app.uiFont;
    app.uiFont = createMessageFont(dpi);
    if (app.toolbar) {
        fitToolbarToScale(app.toolbar, app.instance, dpi);
        app.toolbarHeight = outerHeight(app.toolbar);
    }
    app.treeView.followScale(dpi, app.uiFont);
    if (oldFont) DeleteObject(oldFont);
    rescaleDockedPanels(app.panels, oldDpi, dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    showFittedCaption(app, window);
}

// The editor panel and the find window show the new title.
LRESULT onEndLabelEdit(App& app, const NMTVDISPINFOW& info) {
    if (finishLabelEdit(app.workspace, info)) {
        showSelectionInEditor(app.panels);
        refreshFindWindow(app.search);
    }
    return FALSE;
}

// Opens the item as configured; the folder's own expanding is left to the tree view.
void onTreeDoubleClick(App& app) {
    showSelectionInEditor(app.panels);
    if (openLink(app.browser, app.mainWindow, OpenMode::DoubleClickSlot) && app.settings.autoHide) hideMainWindow(app);
}

LRESULT onNotify(App& app, NMHDR& header) {
    if (header.code == TTN_NEEDTEXTW) {
        answerTooltip(app, reinterpret_cast<NMTTDISPINFOW&>(header));
        return 0;
    }
    if (header.idFrom != IDC_TREE_VIEW) return 0;
    switch (header.code) {
    case TVN_BEGINDRAGW:
        beginTreeDrag(app.drag, reinterpret_cast<NMTREEVIEWW&>(header));
        break;
    case NM_CLICK:
    case TVN_SELCHANGEDW:
        // Keys, the find window and the program move the selection too; the panel must show
        // the item that 差し替え will write to.
        showSelectionInEditor(app.panels);
        break;
    case NM_DBLCLK:
        onTreeDoubleClick(app);
        break;
    case TVN_ITEMEXPANDINGW:
        app.treeView.itemExpanding(reinterpret_cast<NMTREEVIEWW&>(header));
        break;
    case TVN_BEGINLABELEDITW:
        return refuseLabelEdit(app.workspace, reinterpret_cast<NMTVDISPINFOW&>(header));
    case TVN_ENDLABELEDITW:
        return onEndLabelEdit(app, reinterpret_cast<NMTVDISPINFOW&>(header));
    case TVN_GETINFOTIPW:
        app.treeView.giveInfoTip(reinterpret_cast<NMTVGETINFOTIPW&>(header));
        addUpdateFailureTip(reinterpret_cast<NMTVGETINFOTIPW&>(header), app.workspace);
        break;
    case NM_CUSTOMDRAW:
        return app.treeView.customDraw(reinterpret_cast<NMTVCUSTOMDRAW&>(header));
    }
    return 0;
}

// The keys go back to the control that had them when the window was left (the tree after a
// question about it, say), not to the window itself, which has nothing to type into. The
// data file is looked at once the activation is over.
void onActivate(App& app, HWND window, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        app.focusWhenLeft = IsChild(window, focus) ? focus : nullptr;
        return;
    }
    HWND restore = app.focusWhenLeft;
    app.focusWhenLeft = nullptr;
    if (restore && IsWindow(restore) && IsChild(window, restore)) SetFocus(restore);
    else if (GetFocus() == window && app.treeView.window()) SetFocus(app.treeView.window());
    PostMessageW(window, kCheckDataFileMessage, 0, 0);
}

void onClose(App& app, HWND window) {
    removeTrayIcon(app);
    if (app.document.modified()) {
        int answer = showMessage(window,
                                 "更新されています。上書き保存しますか？\r\n別名で保存したい場合は「キャンセル」して下さい。",
                                 "終了します", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL || (answer == IDYES && !saveBeforeExit(app.documentCommands))) {
            addTrayIcon(app);
            return;
        }
        if (answer == IDYES) resetDocumentAndView(app.documentCommands);
    }
    DestroyWindow(window);
}

void onDestroy(App& app) {
    if (app.toolbar) destroyToolbarImages(app.toolbar);
    if (app.trayIcon) DestroyIcon(app.trayIcon);
    app.trayIcon = nullptr;
    endBrowserDde(app.browser);
    destroyDragCursor(app.drag);
    uninstallTreeViewHandler(app.treeView.window());
    app.treeView.detach();
    app.document.history.setModifiedObserver(nullptr);
    resetDocument(app.document);
    if (app.uiFont) DeleteObject(app.uiFont);
    app.uiFont = nullptr;
    app.mainWindow = nullptr;
    PostQuitMessage(0);
}

}  // namespace

void layoutChildren(App& app, int clientWidth, int clientHeight) {
    int top = app.toolbarHeight;
    int height = clientHeight - top;
    if (const PanelState* panel = openPanelState(app)) {
        MoveWindow(app.treeView.window(), 0, top, clientWidth - panel->width, height, TRUE);
        MoveWindow(panel->window, clientWidth - panel->width, top, panel->width, height, TRUE);
    } else {
        MoveWindow(app.treeView.window(), 0, top, clientWidth, height, TRUE);
    }
}

namespace {

LRESULT handleMainWindowMessage(App& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A restarted notification area has forgotten the icon; one that kept it would refuse
    // a second, so the old one goes first.
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (message == taskbarCreated && taskbarCreated != 0) {
        removeTrayIcon(app);
        addTrayIcon(app);
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        return onCreate(app, window);
    case WM_SIZE:
        if (app.toolbar) SendMessageW(app.toolbar, WM_SIZE, wParam, lParam);
        recordMainRect(app);
        layoutChildren(app, LOWORD(lParam), HIWORD(lParam));
        updateScrollBar(app);
        showFittedCaption(app, window);
        return 0;
    case WM_SETTEXT:
        return onSetCaption(app, window, reinterpret_cast<const wchar_t*>(lParam));
    case WM_GETTEXT:
        if (app.fullCaption.empty()) break;
        return onGetCaption(app, wParam, reinterpret_cast<wchar_t*>(lParam));
    case WM_GETTEXTLENGTH:
        if (app.fullCaption.empty()) break;
        return static_cast<LRESULT>(app.fullCaption.size());
    case WM_DPICHANGED:
        onDpiChanged(app, window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        if (scrollPanelByWheel(app, wParam, lParam)) return 0;
        break;
    case WM_GETMINMAXINFO:
        if (!openPanelState(app)) break;
        onMinMaxInfo(app, *reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_VSCROLL:
        onVerticalScroll(app, wParam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NOTIFY:
        return onNotify(app, *reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        dispatchCommand(app, wParam);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == window)
            trackTreeDrag(app.drag, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, (wParam & MK_CONTROL) != 0);
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == window) {
            bool copying = (wParam & MK_CONTROL) != 0;
            UndoStep step(app.document, copying ? "コピー" : "移動");
            // A confirmed drop counts as a change even onto the place it came from.
            if (dropTreeDrag(app.drag, copying)) app.document.history.markChanged();
            ReleaseCapture();
        }
        break;
    case WM_CONTEXTMENU:
        cancelTreeDrag(app.drag);
        showContextMenu(app, lParam);
        break;
    case WM_INITMENU:
        prepareWindowMenu(app, reinterpret_cast<HMENU>(wParam));
        break;
    case WM_TIMER:
        onEdgeTimer(app);
        return 0;
    case WM_USER:
        onTrayCallback(app, wParam, lParam);
        break;
    case WM_ACTIVATE: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        onActivate(app, window, wParam);
        return result;
    }
    case kCheckDataFileMessage:
        checkDataFileOnDisk(app.documentCommands);
        return 0;
    case WM_CLOSE:
        onClose(app, window);
        return 0;
    case WM_DESTROY:
        onDestroy(app);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    App* state = windowState<App>(window, message, lParam);
    if (!state) return DefWindowProcW(window, message, wParam, lParam);
    return handleMainWindowMessage(*state, window, message, wParam, lParam);
}

bool routeThreadMessage(App& app, MSG& message) {
    // The wheel turns for the control with the keys; over a panel it scrolls the panel.
    if (message.message == WM_MOUSEWHEEL && scrollPanelByWheel(app, message.wParam, message.lParam)) return true;
    const PanelHost& panels = app.panels;
    if (panels.editor.open && IsDialogMessageW(panels.editor.window, &message)) return true;
    if (panels.options.open && IsDialogMessageW(panels.options.window, &message)) return true;
    if (app.search.findWindow && IsDialogMessageW(app.search.findWindow, &message)) return true;
    if (app.tidy.tidyWindow && IsDialogMessageW(app.tidy.tidyWindow, &message)) return true;
    if (app.duplicates.window && IsDialogMessageW(app.duplicates.window, &message)) return true;
    if (treeDragKey(app.drag, message)) return true;
    // The keys of a title being edited in place are the edit's own.
    if (app.treeView.window() && TreeView_GetEditControl(app.treeView.window())) return false;
    return app.accelerators && app.mainWindow && TranslateAcceleratorW(app.mainWindow, app.accelerators, &message);
}

int runMessageLoop(App& app) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!routeThreadMessage(app, message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace perchlet
