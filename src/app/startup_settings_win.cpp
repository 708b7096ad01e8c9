#include "app/startup_settings_win.h"

namespace perchlet {

void applyStartupSettings(App&) {}

}  // namespace perchlet
