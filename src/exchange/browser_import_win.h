// File > Import > "ブラウザから…": lists the browser profiles of this user with their
// numbers of links, and brings the chosen one in under the selected item.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

#include "exchange/browser_profiles.h"
#include "store/document.h"
#include "tree/tree_view_win.h"

namespace perchlet {

// The user's Local and Roaming application data folders, where the browsers keep profiles.
BrowserHomeFolders windowsBrowserFolders();

// A profile as the dialog lists it, read once so that the number shown is what comes in.
struct ListedProfile {
    BrowserProfile profile;
    BrowserRead read;
};

// The line the dialog shows: "Google Chrome ― Default（12 件）", or why it cannot be read.
std::string listedProfileLine(const ListedProfile& listed);

// The modal dialog MYBROWSERS; the index chosen, or -1 when cancelled.
int chooseBrowserProfile(HINSTANCE instance, HWND owner, const std::vector<ListedProfile>& profiles);

// The whole command once the place is known: target gives the node to import under when a
// profile has been read (kNoNode: nothing is imported).
void importFromBrowser(HINSTANCE instance, HWND owner, Document& document, TreeViewBinding& treeView,
                       const BrowserHomeFolders& folders, const std::function<NodeId()>& target);

}  // namespace perchlet
