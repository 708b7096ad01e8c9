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
// setting is on. False when the file cannot be read, is not a data file, or has blocks but
// no readable record.
bool loadDataFileAt(App& app, const std::wstring& path);
// The same, for the file's text already read from path.
bool loadDataFileText(App& app, const std::wstring& path, const std::string& text);

// The start-up load from "DataPass": caption, data-loaded flag or the failure message.
void loadDataFileAtStartup(App& app, const std::string& dataPath);

// "%s - Perchlet" with the current file name.
void showFileNameInCaption(App& app);

// The exit question was answered Yes: write the document. False when nothing was written
// though there was something to write, so that the program stays open and nothing is lost.
bool saveBeforeExit(App& app);

}  // namespace perchlet
