// The tree view's context menu and the Window menu: browser labels and what may be chosen
// for the selected item.
#pragma once
#include <functional>
#include <string>
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// WM_CONTEXTMENU: selects the item under the point and shows the menu for it; nothing
// over empty space. A point of (-1, -1) (the keyboard) means the selected item.
void showContextMenu(App& app, LPARAM point);

// WM_INITMENU: relabels and greys the Window menu's open items for the selected item.
void prepareWindowMenu(App& app, HMENU mainMenu);

// Sets the text (when given) and the state of the item at position; says so when the
// menu refuses.
void setMenuItemLabel(HMENU menu, int position, const std::string* text, bool grey);

// Tests watch the prepared context menu instead of tracking it.
using ContextMenuTracker = std::function<void(HMENU dropDown, POINT screenPoint)>;
void setContextMenuTracker(ContextMenuTracker tracker);

}  // namespace perchlet
