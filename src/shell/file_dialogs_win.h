// The open and save file dialogs and the folder dialog, each behind one door so that tests
// can answer them.
#pragma once
#include <functional>
#include <string>
#include <windows.h>

namespace perchlet {

// Save dialog "データを保存します"; type picks the initial filter and default extension
// (2 dat, 3 html, 4 csv, 5 txt). Returns the chosen path or "" when cancelled.
// A path that goes to a file call stays wide, so that a folder named "Café" or "😀" is
// the one written; only a path that is kept as text (in a record or the settings) is
// asked for in Shift-JIS.
// initialPath, when given, is the name and folder the dialog starts with.
std::wstring chooseSavePath(HWND owner, int type, const std::wstring& initialPath = L"");
std::string chooseSaveFile(HWND owner, int type);

// A whole data file's Save dialog lists the encodings it can be written in, in this order.
enum class DataFileType { Utf8 = 1, ShiftJis = 2 };
// Its save type, as chooseSavePath's type 2 is a data file too.
constexpr int kDataFileSaveType = 2;

// Save dialog "データを保存します" for a whole data file: its type list is
// "データファイル UTF-8 (*.dat)" and "データファイル Shift-JIS (*.dat)", type preselected;
// type becomes the one chosen. Returns the chosen path or "" when cancelled.
std::wstring chooseDataFileSavePath(HWND owner, DataFileType& type, const std::wstring& initialPath);

// Open dialog "ファイルを開く"; index picks the initial filter (1 all, 2 dat, 3 HTML,
// 4 CSV, 5 text, 6 exe). Returns the chosen path or "".
std::wstring chooseOpenPath(HWND owner, int index);
std::string chooseOpenFile(HWND owner, int index);

// Folder dialog with the given title; the new-folder button only when allowNewFolder.
std::wstring chooseFolderPath(HWND owner, const std::string& title, bool allowNewFolder);
std::string chooseFolder(HWND owner, const std::string& title, bool allowNewFolder);

enum class FileDialogKind { Save, Open, Folder };
struct FileDialogRequest {
    FileDialogKind kind;
    int typeOrIndex;        // save type, open index, or 0 for the folder dialog
    std::string title;      // the dialog's title, Shift-JIS
    bool allowNewFolder;    // folder dialog only
    std::wstring initialPath = L"";  // save dialog: the name and folder it starts with
    // A whole data file's Save dialog: the type preselected, where a responder may pick another.
    DataFileType* dataFileType = nullptr;
};
// Answers with the chosen path as the dialog gives it (wide), "" for a cancelled dialog.
using FileDialogResponder = std::function<std::wstring(const FileDialogRequest&)>;
void setFileDialogResponder(FileDialogResponder responder);

}  // namespace perchlet
