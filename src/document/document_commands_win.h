// The document as a whole: reset, loading, and the File menu's commands.
#pragma once
#include <functional>
#include <string>

#include "document/disk_questions_win.h"
#include "settings/settings.h"
#include "tree/workspace_win.h"

namespace perchlet {

// What the File menu's commands need besides the workspace. The open file itself is the
// document's (Document::file).
struct DocumentContext {
    Workspace& workspace;
    const Settings& settings;               // the backup flag
    const std::wstring& startupFolderWide;  // as "DataPass" is written against it
    DiskWatch disk{};
    // Told after the document was written to its data file (the path it now has).
    std::function<void(const std::wstring& path)> savedToFile{};
};

void openDataFile(DocumentContext& context);
void newDocument(DocumentContext& context);
void saveDocument(DocumentContext& context);
void saveDocumentAs(DocumentContext& context);
void importDataFileUnderSelection(DocumentContext& context);
void exportSelectedSubtree(DocumentContext& context);

// Save As once the document is known to exist: false when nothing was written though there
// was something to write.
bool saveDocumentAsChosen(DocumentContext& context);

// Writes the document to its data file without asking about another program's version;
// the modified flag clears when written.
bool writeDocumentToItsFile(DocumentContext& context);
// Reads the data file again from disk, dropping the document's changes; the item that was
// selected is selected again where it can be found by its titles. A file that is no data
// file (any more) is said so and leaves the document as it was; false then.
bool reloadDataFile(DocumentContext& context);

// The document's file is now path, shown as name: the caption follows. The one way a
// document gets a file.
void setDocumentFile(DocumentContext& context, const std::wstring& path, const std::wstring& name);

// Whether the file on disk can be compared with the document now: there is a file, it was
// read or written, and no question about it or undo step is under way.
bool mayCheckDataFile(const DocumentContext& context);

// New documents keep every character; a file keeps the encoding it was read in.
constexpr TextEncoding kNewDocumentEncoding = TextEncoding::Utf8;

// Empties the document and its tree view; the image list is built anew. It is a new
// document until a file is read into it.
void resetDocumentAndView(DocumentContext& context);

// Reads a data file into the (reset) document, writing the ".bak" copy when the backup
// setting is on. False when the file cannot be read, is not a data file, or has blocks but
// no readable record.
bool loadDataFileAt(DocumentContext& context, const std::wstring& path);
// The same, for the file's text already read from path.
bool loadDataFileText(DocumentContext& context, const std::wstring& path, const std::string& text);

// The start-up load from "DataPass" (UTF-8): caption, data-loaded flag or the failure message.
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
