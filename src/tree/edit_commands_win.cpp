#include "tree/edit_commands_win.h"

namespace perchlet {

bool handleEditCommand(App&, int) { return false; }

void handleTreeKeyCommand(App&, int) {}

}  // namespace perchlet
