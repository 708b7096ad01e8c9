#include "store/document_commands_win.h"

namespace perchlet {

void resetDocumentAndView(App& app) {
    resetDocument(app.document);
    app.treeView.buildImageList(app.instance);
}

bool handleDocumentCommand(App&, int) { return false; }

bool saveBeforeExit(App&) { return false; }

}  // namespace perchlet
