#include "exchange/commands_win.h"

namespace perchlet {

bool handleExchangeCommand(App&, int) { return false; }

}  // namespace perchlet
