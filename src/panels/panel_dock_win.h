// The two panels docked at the right of the main window (never both at once): opening
// widens the window by the panel, closing narrows it again.
#pragma once
#include <windows.h>

namespace perchlet {

struct PanelState {
    HWND window = nullptr;
    bool open = false;
    int width = 0;
    int height = 0;
    int contentHeight = 0;  // down to the lowest control, with a margin below it
    // What opening did to the main window, undone on closing: the width it added and how
    // far it moved the window left to keep the panel on the screen.
    int addedWidth = 0;
    int movedLeft = 0;
};

// Where the panels dock: the main window, and what the docking keeps of each panel.
struct PanelHost {
    PanelHost(HINSTANCE& instance, HWND& mainWindow) : instance(instance), mainWindow(mainWindow) {}

    HINSTANCE& instance;
    HWND& mainWindow;
    PanelState editor;
    PanelState options;
    int scrollPosition = 0;  // of the main window's scroll bar, which scrolls the open panel
};

enum class PanelKind { Editor, Options };

// Sent to a panel to close it; each panel's procedure answers it with closePanel.
constexpr UINT kCloseEditorMessage = 92;
constexpr UINT kCloseOptionsMessage = 96;
UINT closeMessageOf(PanelKind which);

// Closes the other panel, creates this one from its dialog template with its procedure and
// the procedure's context as creation parameter, greys its menu command and widens the main
// window. False when the dialog cannot be made.
bool openPanel(PanelHost& host, PanelKind which, const wchar_t* templateName, DLGPROC procedure,
               LPARAM context = 0);

// How far down the panel's controls reach, in the panel's client pixels, with a margin.
int panelContentHeight(HWND panel);

// The window moved to a monitor of another scale: the open panel's sizes, and what docking
// it did to the main window, at the new scale.
void rescaleDockedPanels(PanelHost& host, int fromDpi, int toDpi);

// Re-enables the menu command, narrows the main window and destroys the panel; nothing when
// the panel is not open.
void closePanel(PanelHost& host, PanelKind which);

}  // namespace perchlet
