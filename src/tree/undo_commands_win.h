// Undo and redo as the user reaches them: the Edit menu's first two items and their keys.
#pragma once
#include <string>
#include <windows.h>

#include "store/document.h"
#include "tree/workspace_win.h"

namespace perchlet {

// Takes back (or does again) the last step and selects the item it concerns, making the
// tree items on its way. False when there was nothing to take back (or to do again).
bool undoLastStep(Workspace& workspace);
bool redoLastStep(Workspace& workspace);

// The Edit menu's texts: "元に戻す（削除）(&Z)\tCtrl + Z", or without the step's name when there is none.
std::string undoMenuText(const UndoHistory& history);
std::string redoMenuText(const UndoHistory& history);

// Labels the two items at the top of the Edit menu and greys them when there is no step.
void prepareUndoMenuItems(HMENU editMenu, const UndoHistory& history);

// Ctrl+Z and Ctrl+Y while an edit control has the focus belong to that edit: true when the
// key was handed to it.
bool passUndoKeyToEdit(int command);

}  // namespace perchlet
