// Noticing, when the main window is activated, that another program changed or removed the
// data file. The user is asked, and nothing is overwritten or thrown away without an answer.
#pragma once
#include <windows.h>

#include "document/document_commands_win.h"

namespace perchlet {

// Posted by the main window when it is activated; the check runs once the activation is over.
constexpr UINT kCheckDataFileMessage = WM_APP + 190;

// The activation check: asks whether to load the other version, or what to do with this
// one when it has unsaved changes; says so once when the file is gone.
void checkDataFileOnDisk(DocumentContext& context);

}  // namespace perchlet
