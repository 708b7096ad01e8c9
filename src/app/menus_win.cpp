#include "app/menus_win.h"

#include <commctrl.h>

#include "browser/browser_kind.h"
#include "search/sort_commands_win.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "tree/undo_commands_win.h"

namespace perchlet {

namespace {

// Where the browser submenus sit: 126 at the first position, then slots 1, 2, 3.
constexpr int kContextOpenPosition = 0;
constexpr int kEditMenuIndex = 1;
constexpr int kWindowMenuIndex = 2;
constexpr int kWindowOpenPosition = 3;

ContextMenuTracker& tracker() {
    static ContextMenuTracker instance;
    return instance;
}

enum class OpenOffer { None, OpenOnly, Browsers };

OpenOffer openOfferFor(unsigned kind) {
    switch (kind) {
    case kKindFolder: return OpenOffer::None;
    case kKindMailLink:
    case kKindLocalFile: return OpenOffer::OpenOnly;
    default: return OpenOffer::Browsers;
    }
}

void greyCommand(HMENU menu, int command, bool grey) {
    EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (grey ? MF_GRAYED : MF_ENABLED));
}

// Labels the three slot submenus starting at firstPosition and greys what the item cannot use.
void prepareBrowserSubmenus(App& app, HMENU menu, int firstPosition, const BookmarkItem& record,
                            OpenOffer offer) {
    for (BrowserSlot slot : kBrowserSlots) {
        const std::string& path = app.settings.browserPath[slotIndex(slot)];
        std::string label = slotLabel(slot, path) + "(&" + std::to_string(slotNumber(slot)) + ")";
        int position = firstPosition + slotIndex(slot);
        bool grey = offer != OpenOffer::Browsers || !isBrowserConfigured(path);
        setMenuItemLabel(menu, position, &label, grey);
        if (grey) continue;
        HMENU submenu = GetSubMenu(menu, position);
        int placed = CMD_OPEN_SLOT1_PLACED + 3 * slotIndex(slot);
        BrowserKind kind = browserKindOf(path);
        greyCommand(submenu, placed, record.windowRight == 0 || record.windowBottom == 0);
        greyCommand(submenu, placed + 1, false);
        greyCommand(submenu, placed + 2, kind == BrowserKind::Ie || kind == BrowserKind::Netscape);
    }
}

NodeId nodeAtScreenPoint(App& app, POINT screen) {
    HWND tree = app.treeView.window();
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(tree, &hit);
    if (!item || !(hit.flags & TVHT_ONITEM)) return kNoNode;
    return app.treeView.nodeOf(item);
}

void trackMenu(App& app, HMENU dropDown, POINT screen) {
    if (tracker()) {
        tracker()(dropDown, screen);
        return;
    }
    TrackPopupMenu(dropDown, TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, app.mainWindow, nullptr);
}

}  // namespace

void setContextMenuTracker(ContextMenuTracker replacement) { tracker() = std::move(replacement); }

void setMenuItemLabel(HMENU menu, int position, const std::string* text, bool grey) {
    std::wstring wide = text ? widen(*text) : std::wstring();
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | (text ? MIIM_STRING : 0);
    info.fState = grey ? MFS_GRAYED : MFS_ENABLED;
    info.dwTypeData = wide.data();
    if (!SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info))
        showMessage(nullptr, "メニューの表示を書き換えられませんでした。", "メニュー", MB_OK | MB_ICONERROR);
}

namespace {

// With nothing in the tree, the menu offers the two ways to have something.
void showEmptyTreeMenu(App& app, POINT screen) {
    if (screen.x == -1 && screen.y == -1) {
        screen = {8, 8};
        ClientToScreen(app.treeView.window(), &screen);
    }
    HMENU menu = LoadMenuW(app.instance, L"NODOC_MENU");
    if (!menu) return;
    trackMenu(app, GetSubMenu(menu, 0), screen);
    DestroyMenu(menu);
}

}  // namespace

void showContextMenu(App& app, LPARAM lParam) {
    POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (app.document.tree.firstTopLevel() == kNoNode) return showEmptyTreeMenu(app, screen);
    NodeId node;
    if (screen.x == -1 && screen.y == -1) {
        node = app.treeView.selectedNode();
        RECT rect{};
        HTREEITEM item = node == kNoNode ? nullptr : app.treeView.itemOf(node);
        if (!item || !TreeView_GetItemRect(app.treeView.window(), item, &rect, TRUE)) return;
        screen = {rect.left, rect.bottom};
        ClientToScreen(app.treeView.window(), &screen);
    } else {
        node = nodeAtScreenPoint(app, screen);
    }
    if (node == kNoNode) return;
    app.treeView.select(node);
    const BookmarkItem* record = nodeRecord(app.document, node);
    if (!record) return;

    HMENU menu = LoadMenuW(app.instance, L"RCLICK_MENU");
    if (!menu) return;
    HMENU dropDown = GetSubMenu(menu, 0);
    CheckMenuItem(dropDown, CMD_EMPHASIS, MF_BYCOMMAND | (record->mark ? MF_CHECKED : MF_UNCHECKED));
    OpenOffer offer = openOfferFor(kindOf(app.document.tree.node(node).itemNumber));
    if (offer == OpenOffer::None) greyCommand(dropDown, CMD_OPEN_ITEM, true);
    // Sorting is offered on a folder, or on any item that holds others.
    bool sortable = folderToSort(app.document.tree, node) == node;
    for (int sort : {CMD_SORT_BY_TITLE, CMD_SORT_BY_ADDRESS, CMD_SORT_BY_ADDED, CMD_SORT_BY_VISIT})
        greyCommand(dropDown, sort, !sortable);
    prepareBrowserSubmenus(app, dropDown, kContextOpenPosition + 1, *record, offer);
    trackMenu(app, dropDown, screen);
    DestroyMenu(menu);
}

void prepareWindowMenu(App& app, HMENU mainMenu) {
    // Tracking a popup menu sends WM_INITMENU too, with the popup: that is not ours to label.
    if (mainMenu != GetMenu(app.mainWindow)) return;
    prepareUndoMenuItems(GetSubMenu(mainMenu, kEditMenuIndex), app.document.history);
    NodeId node = app.treeView.selectedNode();
    const BookmarkItem* record = node == kNoNode ? nullptr : nodeRecord(app.document, node);
    HMENU windowMenu = GetSubMenu(mainMenu, kWindowMenuIndex);
    if (!record || !windowMenu) return;  // the menu keeps its last state
    OpenOffer offer = openOfferFor(kindOf(app.document.tree.node(node).itemNumber));
    std::string openText =
        offer == OpenOffer::Browsers ? "URLを開く(&U)\tShift + Enter" : "開く(&U)\tShift + Enter";
    setMenuItemLabel(windowMenu, kWindowOpenPosition, &openText, offer == OpenOffer::None);
    prepareBrowserSubmenus(app, windowMenu, kWindowOpenPosition + 1, *record, offer);
}

}  // namespace perchlet
