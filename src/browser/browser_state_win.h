// What the browser integration keeps for the whole run, and what its commands work with.
#pragma once
#include <windows.h>
#include <ddeml.h>

#include "browser/browser_kind.h"
#include "settings/settings.h"
#include "tree/workspace_win.h"

namespace perchlet {

struct BrowserState {
    HWND rememberedWindow = nullptr;   // the window that open mode 0 reuses
    HCONV keptConversation = nullptr;  // "WWW_OpenURL" with the remembered window's browser
    DWORD ddeInstance = 0;             // the program's DDE instance, made by the first connect
    BrowserKind lastKindFound = BrowserKind::Other;  // by the last browser window search; Other: none found
    DWORD ddeTimeoutMs = 10000;        // of every DDE request
};

struct BrowserContext {
    BrowserContext(Workspace& workspace, const Settings& settings, const RECT& workArea, const RECT& recordedMainRect)
        : workspace(workspace), settings(settings), workArea(workArea), recordedMainRect(recordedMainRect) {}

    Workspace& workspace;
    const Settings& settings;        // the browser slots and the browser window's place
    const RECT& workArea;
    const RECT& recordedMainRect;    // the main window without an open panel
    BrowserState state;
};

}  // namespace perchlet
