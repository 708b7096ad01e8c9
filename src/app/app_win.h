// The state the program's process really has: its windows, its document and its settings,
// and each subsystem's view of them.
#pragma once
#include <optional>
#include <string>
#include <windows.h>

#include "browser/browser_state_win.h"
#include "document/document_commands_win.h"
#include "exchange/commands_win.h"
#include "panels/editor_panel_win.h"
#include "panels/options_panel_win.h"
#include "panels/panel_dock_win.h"
#include "search/duplicates_window_win.h"
#include "search/find_window_win.h"
#include "search/search_index.h"
#include "settings/settings.h"
#include "store/document.h"
#include "tree/drag_win.h"
#include "tree/tree_view_win.h"
#include "tree/workspace_win.h"
#include "web/tidy_window_win.h"

namespace perchlet {

// Made once and never copied or moved: the subsystems' contexts refer to its members.
struct App {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND toolbar = nullptr;
    int toolbarHeight = 0;
    HACCEL accelerators = nullptr;
    std::string startupFolderShiftJis;  // at most 259 bytes
    std::wstring startupFolderWide;     // the same, as the file calls take it
    RECT workArea{};
    RECT recordedMainRect{};
    bool hidden = false;
    int edgeCounter = 0;
    bool trayIconShown = false;
    HWND focusWhenLeft = nullptr;  // the child that had the keys when the window was deactivated
    std::optional<std::string> settingsWrittenForDocument;  // the settings file as the program last wrote it
    // The scale of the main window's monitor, and what is made for it.
    int dpi = 96;
    HFONT uiFont = nullptr;  // the system's message font, for the tree
    HICON trayIcon = nullptr;
    std::wstring fullCaption;  // the caption before it is fitted to the title bar

    Document document;
    TreeViewBinding treeView{document};
    SearchIndex searchIndex{document};
    Settings settings;

    Workspace workspace{instance, mainWindow, document, treeView};
    TreeDrag drag{workspace};
    DocumentContext documentCommands{workspace, settings, startupFolderWide};
    ExchangeContext exchange{workspace, startupFolderShiftJis, documentCommands};
    SearchContext search{workspace, searchIndex};
    TidyContext tidy{workspace};
    DuplicatesContext duplicates{workspace};
    BrowserContext browser{workspace, settings, workArea, recordedMainRect};
    PanelHost panels{instance, mainWindow};
    EditorPanelContext editorPanel{workspace, panels, documentCommands, browser};
    OptionsPanelContext optionsPanel{panels, settings, browser, startupFolderWide};

    App() = default;
    App(const App&) = delete;
    App& operator=(const App&) = delete;
};

// The one App of the process, made on first use.
App& theApp();
// Starts again from a fresh App; for tests that create the main window many times.
void resetApp();

}  // namespace perchlet
