// The duplicates window: the groups of links that keep the same page, each a checkable line
// with the address and a line per link with its title and folder. A double click selects the
// link in the tree; 古いものを削除 removes all but the newest link of each checked group.
#pragma once
#include <string>
#include <vector>
#include <windows.h>

#include "search/duplicates.h"
#include "tree/workspace_win.h"

namespace perchlet {

struct DuplicatesContext {
    explicit DuplicatesContext(Workspace& workspace) : workspace(workspace) {}

    Workspace& workspace;
    HWND window = nullptr;  // while it is open
    std::vector<DuplicateGroup> groups;
    // What each line of the list shows: its group, and its link (kNoNode: the group's line).
    struct Line {
        std::size_t group;
        NodeId node;
    };
    std::vector<Line> lines;
};

// Opens the window, or brings it forward with its groups found again.
void openDuplicatesWindow(DuplicatesContext& context);

// Removes the older links of the checked groups as one undo step, after asking; false when
// nothing was removed.
bool removeOlderDuplicates(DuplicatesContext& context);

}  // namespace perchlet
