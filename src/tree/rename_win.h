// Renaming an item in place: F2 or a slow second click opens the tree view's own edit on
// its title; Enter keeps what was typed, Escape drops it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "tree/workspace_win.h"

namespace perchlet {

// F2 and the menus' 名前の変更: opens the edit on the selected item.
void renameSelection(Workspace& workspace);

// TVN_BEGINLABELEDIT: true when the edit must not open: the item is not one of ours, or the
// user neither pressed F2 nor clicked the selected item since the last key.
bool refuseLabelEdit(Workspace& workspace, const NMTVDISPINFOW& info);

// TVN_ENDLABELEDIT: gives the item the typed title, as one undo step. A title of nothing but
// blanks is refused with a message and the old one kept; characters Shift-JIS cannot hold
// become "〓", and the user is told how many. True when the title changed. The view is
// updated from the model, so the notification is always answered FALSE.
bool finishLabelEdit(Workspace& workspace, const NMTVDISPINFOW& info);

// Tells the user that runs of typed characters became "〓"; nothing for none.
void sayMarkedCharacters(HWND owner, std::size_t runs, const char* caption);

}  // namespace perchlet
