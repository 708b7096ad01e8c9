// Small helpers for windows and controls that several dialogs share.
#pragma once
#include <string>
#include <windows.h>

namespace perchlet {

// Gives a control of a dialog a tooltip (Shift-JIS text); the tooltip belongs to the dialog
// and goes with it.
HWND addControlTip(HWND dialog, int controlId, const std::string& text);

// Moves a window to stand just right of owner, level with its top, kept inside the work area
// of owner's monitor.
void placeBeside(HWND window, HWND owner);

// Appends a text column of the given width to a report-style list view.
void addColumn(HWND list, int index, const wchar_t* title, int width);

}  // namespace perchlet
