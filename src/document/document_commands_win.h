// The document as a whole: reset, loading, and the File menu's commands.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "settings/settings.h"
#include "tree/workspace_win.h"

namespace perchlet {

// The watch on the data file for changes by other programs.
struct DiskWatch {
    bool asking = false;                         // a question about the file on disk is up
    std::optional<std::uint64_t> declinedHash;  // a version on disk the user chose not to load
};

// What the File menu's commands need besides the workspace.
struct DocumentContext {
    Workspace& workspace;
    std::wstring& path;                   // where Save writes, as the file calls take it; empty = ask
    const Settings& settings;             // the backup flag
    const std::string& startupDirectory;  // Shift-JIS, as "DataPass" is written against it
    const std::wstring& startupFolder;    // the same, as the file calls take it
    DiskWatch disk{};
    // Told after the document was written to its data file (the path it now has).
    std::function<void(const std::wstring& path)> savedToFile{};
};

void openDataFile(DocumentContext& context);
void newDocument(DocumentContext& context);
void saveDocument(DocumentContext& context);
void saveDocumentAs(DocumentContext& context);
// Save As once the document is known to exist: false when nothing was written though there
// was something to write.
bool saveDocumentAsChosen(DocumentContext& context);
void importDataFileUnderSelection(DocumentContext& context);
void exportSelectedSubtree(DocumentContext& context);

// Writes the document to its data file without looking at the disk first; the modified flag
// clears when written.
bool writeDocumentToItsFile(DocumentContext& context);
// Reads the data file again from disk, dropping the document's changes; the item that was
// selected is selected again where it can be found by its titles. A file that is no data
// file (any more) is said so and leaves the document as it was; false then.
bool reloadDataFile(DocumentContext& context);

// Empties the document and its tree view; the image list is built anew.
void resetDocumentAndView(DocumentContext& context);

// Reads a data file into the (reset) document, writing the ".bak" copy when the backup
// setting is on. False when the file cannot be read, is not a data file, or has blocks but
// no readable record.
bool loadDataFileAt(DocumentContext& context, const std::wstring& path);
// The same, for the file's text already read from path.
bool loadDataFileText(DocumentContext& context, const std::wstring& path, const std::string& text);

// The start-up load from "DataPass": caption, data-loaded flag or the failure message.
void loadDataFileAtStartup(DocumentContext& context, const std::string& dataPath);

// "%s - Perchlet" with the current file name, "*" before it while there are unsaved changes.
void showFileNameInCaption(Workspace& workspace);

// Puts "*" before the caption or takes it away when the data-modified flag says otherwise.
// Not from within the caption's own messages (WM_GETTEXT and the like).
void followModifiedInCaption(HWND mainWindow, bool modified);

// The exit question was answered Yes: write the document. False when nothing was written
// though there was something to write, so that the program stays open and nothing is lost.
bool saveBeforeExit(DocumentContext& context);

}  // namespace perchlet
