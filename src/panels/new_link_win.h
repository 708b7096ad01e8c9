// 新しいリンク...: a small dialog asks for a title and an address, and the link goes after the
// selected item, or into the selected folder when that folder is open.
#pragma once
#include <string>
#include <string_view>

#include "tree/workspace_win.h"

namespace perchlet {

// Runs the dialog and adds the link as one undo step; nothing when it is cancelled.
void addNewLink(Workspace& workspace);

// The clipboard's text when it is one address (http, https, ftp or file, no blanks inside),
// without blanks around it; empty otherwise.
std::wstring addressOnClipboard(HWND owner);

}  // namespace perchlet
