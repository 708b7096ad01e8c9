// What the tree pane shows while it holds nothing: how to begin.
#pragma once
#include <windows.h>

namespace perchlet {

// The hint's text, as the pane shows it.
extern const wchar_t kEmptyTreeHint[];

// Paints the pane with the hint centred in it; for WM_PAINT of a tree view without items.
void paintEmptyTreeHint(HWND tree);

}  // namespace perchlet
