// Moving a subtree by dragging it onto another tree item.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "app/app_win.h"

namespace perchlet {

void beginTreeDrag(App& app, const NMTREEVIEWW& notification);
// Mouse messages while the main window holds the capture; false when no drag is running.
bool trackTreeDrag(App& app, POINT cursorInMainClient);
bool dropTreeDrag(App& app);
// Ends any drag without moving anything (the context menu does this first).
void cancelTreeDrag(App& app);

}  // namespace perchlet
