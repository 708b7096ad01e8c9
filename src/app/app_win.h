// The state the program's process really has: its windows, its document and its settings.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <windows.h>

#include "browser/browser_state_win.h"
#include "panels/settings.h"
#include "search/search_index.h"
#include "store/document.h"
#include "tree/tree_view_win.h"

namespace perchlet {

struct PanelState {
    HWND window = nullptr;
    bool open = false;
    int width = 0;
    int height = 0;
};

// A drag of a tree item, from TVN_BEGINDRAG to the drop or its cancelling.
struct TreeDrag {
    HTREEITEM item = nullptr;
    HIMAGELIST image = nullptr;
    bool targetSeen = false;  // this drag has highlighted a target (an older highlight never counts)
};

struct App {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND toolbar = nullptr;
    int toolbarHeight = 0;
    HACCEL accelerators = nullptr;
    std::string startupDirectory;  // Shift-JIS, at most 259 bytes
    std::wstring startupFolder;    // the same, as the file calls take it
    std::wstring documentPath;     // where Save writes, as the file calls take it; empty = ask
    RECT workArea{};
    RECT recordedMainRect{};
    PanelState editor;
    PanelState options;
    int panelScrollPosition = 0;
    bool hidden = false;
    int edgeCounter = 0;
    bool trayIconShown = false;
    HWND focusWhenLeft = nullptr;  // the child that had the keys when the window was deactivated
    TreeDrag drag;
    bool checkingDataFile = false;                   // a question about the file on disk is up
    std::optional<std::uint64_t> declinedDiskHash;   // a version on disk the user chose not to load
    std::string fetchedTitle;  // the page title last fetched, as the page has it
    int titleCycle = 0;        // the editor's "？" button: 0-3, for the whole run

    Document document;
    TreeViewBinding treeView{document};
    SearchIndex searchIndex{document};
    HWND findWindow = nullptr;
    Settings settings;
    BrowserState browser;
};

// The one App of the process, made on first use.
App& theApp();
// Starts again from a fresh App; for tests that create the main window many times.
void resetApp();

}  // namespace perchlet
