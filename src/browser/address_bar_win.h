// Reading the address a browser without DDE shows: from its address bar through UI
// Automation, or by copying it from there with the browser's own keys.
#pragma once
#include <string>
#include <windows.h>

namespace perchlet {

struct AddressReading {
    std::wstring address;  // empty when it could not be read
    std::string problem;   // Shift-JIS, why not; empty when read
};

// The address shown in the browser window. The key fallback (focus the address bar with
// Ctrl+L, copy with Ctrl+C, Escape) borrows the clipboard, and puts back exactly what was
// there before; the owner then gets the foreground back.
AddressReading readBrowserAddress(HWND owner, HWND browser);

// The UI Automation part alone: the value of the window's first edit field when it holds a
// whole address, else empty.
std::wstring addressFromAutomation(HWND browser);

}  // namespace perchlet
