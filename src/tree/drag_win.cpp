#include "tree/drag_win.h"

namespace perchlet {

void beginTreeDrag(App&, const NMTREEVIEWW&) {}
bool trackTreeDrag(App&, POINT) { return false; }
bool dropTreeDrag(App&) { return false; }
void cancelTreeDrag(App&) {}

}  // namespace perchlet
