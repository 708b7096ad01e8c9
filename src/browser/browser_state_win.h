// What the browser integration keeps for the whole run.
#pragma once
#include <windows.h>
#include <ddeml.h>

namespace perchlet {

struct BrowserState {
    HWND rememberedWindow = nullptr;   // the window that open mode 0 reuses
    HCONV keptConversation = nullptr;  // "WWW_OpenURL" with the remembered window's browser
    DWORD ddeInstance = 0;             // the program's DDE instance, made by the first connect
    int lastKindFound = 9;             // by the last browser window search
    DWORD ddeTimeoutMs = 10000;        // of every DDE request
};

}  // namespace perchlet
