#include "browser/dde_client_win.h"

namespace perchlet {

// Placeholder until the DDE client lands.
std::string requestWindowInfo(App&, HWND) { return {}; }

}  // namespace perchlet
