// The document as a whole: reset, loading, and the File menu's commands.
#pragma once
#include <string>

#include "app/app_win.h"

namespace perchlet {

// Commands 100-103, 123 and 144; returns false for any other identifier.
bool handleDocumentCommand(App& app, int command);

// Empties the document and its tree view; the image list is built anew.
void resetDocumentAndView(App& app);

// Reads a data file into the (reset) document, writing the ".bak" copy when the backup
// setting is on. False when the file cannot be read or is not a data file.
bool loadDataFileAt(App& app, const std::wstring& path);

// The start-up load from "DataPass": caption, data-loaded flag or the failure message.
void loadDataFileAtStartup(App& app, const std::string& dataPath);

// "%s - Perchlet" with the current file name.
void showFileNameInCaption(App& app);

// Writes the document to its data file without looking at the disk first; the modified flag
// clears when written.
bool writeDocumentToItsFile(App& app);
// Save As: asks for a name and writes there; that name becomes the data file's.
void saveDocumentAs(App& app);
// Reads the data file again from disk, dropping the document's changes; the item that was
// selected is selected again where it can be found by its titles. A file that is no data
// file (any more) is said so and leaves the document as it was; false then.
bool reloadDataFile(App& app);

// The exit question was answered Yes: write the document. False when nothing was written
// though there was something to write, so that the program stays open and nothing is lost.
bool saveBeforeExit(App& app);

}  // namespace perchlet
