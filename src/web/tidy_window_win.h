// The tidy window (リンクの整理): checks the links of the selected folder, or of the whole
// tree, on a thread of its own, and lists what needs attention for the actions to work on.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "tree/workspace_win.h"
#include "web/link_check.h"

namespace perchlet {

struct TidyContext {
    explicit TidyContext(Workspace& workspace) : workspace(workspace) {}

    Workspace& workspace;
    LinkCheckSettings settings;  // as the tool's defaults
    HWND tidyWindow = nullptr;   // while it is open
};

// Opens the window and starts the check, or brings the open window forward.
void openTidyWindow(TidyContext& context);

// Adds to the tree's tip for a link the update check marked 取得失敗 the reason it failed.
void addUpdateFailureTip(NMTVGETINFOTIPW& tip, const Workspace& workspace);

}  // namespace perchlet
