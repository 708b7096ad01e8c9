// The two panels docked at the right of the main window (never both at once): opening
// widens the window by the panel, closing narrows it again.
#pragma once
#include "app/app_win.h"

namespace perchlet {

enum class PanelKind { Editor, Options };

// Sent to a panel to close it; each panel's procedure answers it with closePanel.
constexpr UINT kCloseEditorMessage = 92;
constexpr UINT kCloseOptionsMessage = 96;
UINT closeMessageOf(PanelKind which);

// Closes the other panel, creates this one from its dialog template with its procedure,
// greys its menu command and widens the main window. False when the dialog cannot be made.
bool openPanel(App& app, PanelKind which, const wchar_t* templateName, DLGPROC procedure);

// Re-enables the menu command, narrows the main window and destroys the panel; nothing when
// the panel is not open.
void closePanel(App& app, PanelKind which);

}  // namespace perchlet
