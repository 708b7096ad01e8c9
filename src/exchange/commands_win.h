// The import and export commands of the File menu and the context menu.
#pragma once
#include "app/app_win.h"

namespace perchlet {

// Commands 113-116, 120-122, 125 and 140-143; returns false for any other identifier.
bool handleExchangeCommand(App& app, int command);

}  // namespace perchlet
