#include "shell/file_dialogs_win.h"

#include <commdlg.h>
#include <shlobj.h>

#include "shell/text_win.h"

namespace perchlet {

namespace {

FileDialogResponder& responder() {
    static FileDialogResponder current;
    return current;
}

// Filters are label/pattern pairs separated by NULs and ended by two.
const wchar_t kSaveFilters[] =
    L"すべて\0*.*\0データファイル (*.dat)\0*.dat\0HTML *.html\0*.html\0CSV *.csv\0*.csv\0ﾃｷｽﾄ *.txt\0*.txt\0";
const wchar_t kDataFileSaveFilters[] =
    L"データファイル UTF-8 (*.dat)\0*.dat\0データファイル Shift-JIS (*.dat)\0*.dat\0";
// Browsers and older programs save bookmark pages as .htm as often as .html.
const wchar_t kOpenFilters[] =
    L"すべて\0*.*\0データファイル (*.dat)\0*.dat\0HTML *.html;*.htm\0*.html;*.htm\0CSV *.CSV\0*.CSV\0ﾃｷｽﾄ *.TXT\0*.TXT\0exe *.exe\0*.exe\0";

const wchar_t* defaultExtensionFor(int type) {
    switch (type) {
    case 2: return L"dat";
    case 3: return L"html";
    case 4: return L"csv";
    case 5: return L"txt";
    default: return nullptr;
    }
}

}  // namespace

void setFileDialogResponder(FileDialogResponder r) { responder() = std::move(r); }

namespace {

// The folder part of a path the dialog starts with; the name part goes in its name field.
std::wstring folderPartOf(const std::wstring& path) {
    std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

// chosenFilter, when given, gets the type the user left selected.
std::wstring runFileDialog(HWND owner, const wchar_t* filters, int filterIndex, const std::string& title,
                          const wchar_t* defaultExtension, DWORD flags, bool save,
                          const std::wstring& initialPath = L"", int* chosenFilter = nullptr) {
    wchar_t path[MAX_PATH] = L"";
    std::wstring initialFolder = folderPartOf(initialPath);
    if (initialPath.size() < MAX_PATH)
        initialPath.copy(path, MAX_PATH - 1, initialFolder.empty() ? 0 : initialFolder.size() + 1);
    wchar_t fileTitle[MAX_PATH + 1] = L"";
    std::wstring wideTitle = widen(title);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters;
    dialog.nFilterIndex = static_cast<DWORD>(filterIndex);
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = MAX_PATH + 1;
    dialog.lpstrTitle = wideTitle.c_str();
    if (!initialFolder.empty()) dialog.lpstrInitialDir = initialFolder.c_str();
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = flags;
    BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (chosen && chosenFilter) *chosenFilter = static_cast<int>(dialog.nFilterIndex);
    return chosen ? std::wstring(path) : std::wstring();
}

}  // namespace

std::wstring chooseSavePath(HWND owner, int type, const std::wstring& initialPath) {
    const char* title = "データを保存します";
    if (responder()) return responder()({FileDialogKind::Save, type, title, false, initialPath});
    // The chosen name is as often a new file as an old one, so it need not exist.
    return runFileDialog(owner, kSaveFilters, type, title, defaultExtensionFor(type),
                         OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, true, initialPath);
}

std::wstring chooseDataFileSavePath(HWND owner, DataFileType& type, const std::wstring& initialPath) {
    const char* title = "データを保存します";
    if (responder())
        return responder()({FileDialogKind::Save, kDataFileSaveType, title, false, initialPath, &type});
    int chosen = static_cast<int>(type);
    std::wstring path = runFileDialog(owner, kDataFileSaveFilters, chosen, title, L"dat",
                                      OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, true, initialPath, &chosen);
    type = chosen == static_cast<int>(DataFileType::ShiftJis) ? DataFileType::ShiftJis : DataFileType::Utf8;
    return path;
}

std::wstring chooseOpenPath(HWND owner, int index) {
    const char* title = "ファイルを開く";
    if (responder()) return responder()({FileDialogKind::Open, index, title, false});
    return runFileDialog(owner, kOpenFilters, index, title, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, false);
}

std::wstring chooseFolderPath(HWND owner, const std::string& title, bool allowNewFolder) {
    if (responder()) return responder()({FileDialogKind::Folder, 0, title, allowNewFolder});
    std::wstring wideTitle = widen(title);
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = display;
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | (allowNewFolder ? 0 : BIF_NONEWFOLDERBUTTON);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return {};
    wchar_t path[MAX_PATH] = L"";
    bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    return ok ? std::wstring(path) : std::wstring();
}

std::string chooseSaveFile(HWND owner, int type) { return narrow(chooseSavePath(owner, type)); }

std::string chooseOpenFile(HWND owner, int index) { return narrow(chooseOpenPath(owner, index)); }

std::string chooseFolder(HWND owner, const std::string& title, bool allowNewFolder) {
    return narrow(chooseFolderPath(owner, title, allowNewFolder));
}

}  // namespace perchlet
