// The import and export commands of the File menu and the context menu.
#pragma once
#include <string>

#include "document/document_commands_win.h"
#include "tree/workspace_win.h"

namespace perchlet {

// What the exchange commands need besides the workspace.
struct ExchangeContext {
    Workspace& workspace;
    const std::string& startupFolderShiftJis;  // CSV locators of local files are written against it
    DocumentContext& documentCommands;         // an import into no document starts a new one
};

// An export writes the whole tree (it needs a document) or the selected subtree (it needs a
// selection).
enum class ExportScope { WholeTree, Selection };

void exportNetscapeFile(ExchangeContext& context, ExportScope scope);
void exportTreeHtmlFile(ExchangeContext& context, ExportScope scope);
void exportCsvFile(ExchangeContext& context, ExportScope scope);
void exportFavoritesFolder(ExchangeContext& context, ExportScope scope);
// The imports go under the selected item; with no document yet, under the root of a new one.
void importNetscapeFile(ExchangeContext& context);
void importCsvFile(ExchangeContext& context);
void importFavoritesFolder(ExchangeContext& context);
// File > Import > "ブラウザから…": from the browser profiles of this user's folders.
void importFromBrowserProfile(ExchangeContext& context);

}  // namespace perchlet
