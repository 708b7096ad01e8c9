// The scale of the monitor a window is on, and what the program draws at it: the system's
// message font, icons in the size the scale asks for, dialogs in the system's font.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "settings/screen_scale.h"

// Declared for Windows 7 and later; the program is built for Vista's headers.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace perchlet {

// The DPI of the window's monitor (Windows 10 1607 and later), else the system's DPI.
int dpiOfWindow(HWND window);
int systemDpi();
int scaledForWindow(HWND window, int pixels96);
// GetSystemMetrics at that DPI, where the system can say it.
int systemMetricForDpi(int index, int dpi);

// The font Windows uses for its own messages and dialogs (Yu Gothic UI on Japanese
// Windows 10 and 11), at the system's size for that DPI. The caller deletes it.
HFONT createMessageFont(int dpi);
LOGFONTW messageFontAt(int dpi);
// The font of a tool window's small caption at that DPI.
LOGFONTW smallCaptionFontAt(int dpi);

// An icon resource in the size asked for; Windows picks the nearest drawn size.
HICON loadIconSized(HINSTANCE instance, const wchar_t* name, int size);

// A dialog template from the resources with its font replaced by the system's message font
// at the system's point size; empty when the resource is missing.
std::vector<BYTE> templateInMessageFont(HINSTANCE instance, const wchar_t* name);

// CreateDialogParamW and DialogBoxParamW for templates in the system's message font.
HWND createDialogInMessageFont(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC procedure, LPARAM param);
INT_PTR dialogBoxInMessageFont(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC procedure, LPARAM param);

}  // namespace perchlet
