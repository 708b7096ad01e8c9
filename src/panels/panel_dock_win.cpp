#include "panels/panel_dock_win.h"

namespace perchlet {

// Placeholder until the docking lands: no panel opens.
bool openPanel(App&, PanelKind, const wchar_t*, DLGPROC) { return false; }

void closePanel(App&, PanelKind) {}

}  // namespace perchlet
