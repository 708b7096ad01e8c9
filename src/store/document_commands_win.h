// The document as a whole: reset, and the File menu's commands.
#pragma once
#include "app/app_win.h"

namespace perchlet {

// Commands 100-103, 123 and 144; returns false for any other identifier.
bool handleDocumentCommand(App& app, int command);

// Empties the document and its tree view; the image list is built anew.
void resetDocumentAndView(App& app);

// The exit question was answered Yes: write the document. False when nothing was written,
// so that the program stays open and nothing is lost.
bool saveBeforeExit(App& app);

}  // namespace perchlet
