#include "store/document_commands_win.h"

#include "app/command_ids.h"
#include "app/dialogs_win.h"
#include "app/file_dialogs_win.h"
#include "app/text_win.h"
#include "store/data_file.h"
#include "store/disk_check_win.h"
#include "store/document_text.h"
#include "store/file_io_win.h"
#include "store/tree_paths.h"

namespace perchlet {

namespace {

constexpr int kDataFileFilter = 2;

void sayNoData(App& app) { showMessage(app.mainWindow, "データがありません。", "Cancel !", MB_OK); }
void sayNotOpened(App& app) { showMessage(app.mainWindow, "ファイルを開きませんでした。", "Cancel !", MB_OK); }
void sayNothingSelected(App& app) {
    showMessage(app.mainWindow, "ツリーアイテムを選択して下さい。", "Cancel !", MB_OK);
}

enum class SaveOutcome { Written, NothingToWrite, NotWritten };

// The name and extension of a path, as the caption shows it.
std::string displayedFileName(const std::wstring& path) { return fileNameOf(narrow(path)); }

// The backup copy: the data file's base name with ".bak", in the current folder.
std::wstring backupPathFor(const std::wstring& path) {
    std::size_t separator = path.find_last_of(L"\\/:");
    std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
    std::size_t dot = name.rfind(L'.');
    return (dot == std::wstring::npos ? name : name.substr(0, dot)) + L".bak";
}

// Writes text to path, or to a path the user chooses when path is empty.
SaveOutcome writeDocumentText(App& app, const std::string& text, std::wstring path) {
    if (text.empty()) {
        sayNoData(app);
        return SaveOutcome::NothingToWrite;
    }
    bool toDataFile = !path.empty() && path == app.documentPath;
    if (path.empty()) path = chooseSavePath(app.mainWindow, kDataFileFilter);
    if (path.empty() || !writeWholeText(path, text)) return SaveOutcome::NotWritten;
    if (toDataFile) rememberDataFile(app.document, path, text);
    return SaveOutcome::Written;
}

// Save: to the current file path, or to a chosen one (which, as users know it, is not
// remembered: the next Save asks again). The modified flag clears only when written.
// A data file another program changed is not overwritten without the user's answer.
bool saveDocument(App& app) {
    switch (checkBeforeSave(app)) {
    case BeforeSave::Write: break;
    case BeforeSave::HandledOtherwise: return true;
    case BeforeSave::Stop: return false;
    }
    return writeDocumentToItsFile(app);
}

// Before Open and New drop unsaved changes. False when the command must stop.
bool offerToSaveChanges(App& app) {
    if (!app.document.modified) return true;
    int answer = showMessage(app.mainWindow, "編集中のファイルを保存しますか？", "新しいファイルを開きます",
                             MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return false;
    if (answer == IDNO) return true;
    // Always asks for a name. Cancelling the dialog cancels the command: nothing is lost.
    return writeDocumentText(app, writeWholeDocument(app.document), L"") != SaveOutcome::NotWritten;
}

void showLoadedTree(App& app) {
    NodeId first = app.document.tree.firstTopLevel();
    HWND tree = app.treeView.window();
    SetFocus(tree);
    if (first == kNoNode) return;
    app.treeView.select(first);
    app.treeView.expand(first);
}

void openDataFile(App& app) {
    if (!offerToSaveChanges(app)) return;
    std::wstring path = chooseOpenPath(app.mainWindow, kDataFileFilter);
    if (path.empty()) return;
    resetDocumentAndView(app);
    if (!loadDataFileAt(app, path)) {
        sayNotOpened(app);
        return;
    }
    app.document.fileName = displayedFileName(path);
    app.documentPath = path;
    showFileNameInCaption(app);
    app.document.loaded = true;
    app.document.modified = false;
}

void newDocument(App& app) {
    if (!offerToSaveChanges(app)) return;
    resetDocumentAndView(app);
    NodeId root = insertRootItem(app.document);
    app.document.loaded = true;
    app.document.modified = false;
    app.treeView.select(root);
}

void save(App& app) {
    if (!app.document.loaded) {
        sayNoData(app);
        return;
    }
    saveDocument(app);
}

}  // namespace

bool writeDocumentToItsFile(App& app) {
    SaveOutcome outcome = writeDocumentText(app, writeWholeDocument(app.document), app.documentPath);
    if (outcome == SaveOutcome::Written) {
        app.document.modified = false;
        app.document.history.markSaved();
    }
    return outcome != SaveOutcome::NotWritten;
}

void saveDocumentAs(App& app) {
    if (!app.document.loaded) {
        sayNoData(app);
        return;
    }
    std::string text = writeWholeDocument(app.document);
    if (text.empty()) {
        sayNoData(app);
        return;
    }
    std::wstring path = chooseSavePath(app.mainWindow, kDataFileFilter);
    if (path.empty() || !writeWholeText(path, text)) return;
    app.documentPath = path;
    rememberDataFile(app.document, path, text);
    app.declinedDiskHash.reset();
    app.document.fileName = displayedFileName(path);
    showFileNameInCaption(app);
    app.document.modified = false;
    app.document.history.markSaved();
}

bool reloadDataFile(App& app) {
    std::wstring path = app.documentPath;
    // What is there now must be a data file before this document gives way to it.
    std::optional<std::string> onDisk = readWholeFile(path);
    if (!onDisk || !hasDataFileSignature(*onDisk)) {
        sayNotOpened(app);
        return false;
    }
    std::string fileName = app.document.fileName;
    TitlePath selected = titlePathOf(app.document.tree, app.treeView.selectedNode());
    resetDocumentAndView(app);
    bool loaded = loadDataFileAt(app, path);
    app.documentPath = path;
    app.document.fileName = fileName;
    showFileNameInCaption(app);
    if (!loaded) {
        sayNotOpened(app);
        return false;
    }
    app.document.loaded = true;
    app.document.modified = false;
    NodeId again = nodeAtTitlePath(app.document.tree, selected);
    if (again != kNoNode) app.treeView.select(again);
    return true;
}

namespace {

void importDataFileUnderSelection(App& app) {
    NodeId target = app.treeView.selectedNode();
    if (target == kNoNode) {
        sayNothingSelected(app);
        return;
    }
    std::wstring path = chooseOpenPath(app.mainWindow, kDataFileFilter);
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        sayNotOpened(app);
        return;
    }
    app.document.loaded = true;
    DataFileReadResult result = importDataFile(*text, app.document, target, app.treeView);
    if (result.rejected) {
        // Not a data file: nothing went in, and the user is told so.
        sayNotOpened(app);
        return;
    }
    app.document.serials.value = result.nextCounter;
    app.document.modified = true;
}

void exportSelectedSubtree(App& app) {
    NodeId start = app.treeView.selectedNode();
    if (start == kNoNode) {
        sayNothingSelected(app);
        return;
    }
    writeDocumentText(app, writeDataFile(app.document, start, app.document.serials.value), L"");
}

}  // namespace

void showFileNameInCaption(App& app) {
    std::string caption = app.document.fileName + " - Perchlet";
    caption = fitField(caption, MAX_PATH - 1);
    SetWindowTextW(app.mainWindow, widen(caption).c_str());
}

void resetDocumentAndView(App& app) {
    resetDocument(app.document);
    app.documentPath.clear();
    app.declinedDiskHash.reset();
    app.treeView.buildImageList(app.instance);
}

bool loadDataFileAt(App& app, const std::wstring& path) {
    std::optional<std::string> text = readWholeFile(path);
    if (!text) return false;
    rememberDataFile(app.document, path, *text);
    HWND tree = app.treeView.window();
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    DataFileReadResult result = loadDataFile(*text, app.document, app.treeView);
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    if (!result.rejected) {
        app.document.serials.value = result.nextCounter;
        showLoadedTree(app);
    }
    InvalidateRect(tree, nullptr, TRUE);
    if (app.settings.backupFile == 1) {
        // The copy goes to the current folder, as it always has.
        std::string asRead = text->substr(0, text->find('\0'));
        writeWholeText(backupPathFor(path), asRead);
    }
    return !result.rejected;
}

namespace {

// "DataPass" is text from the settings; the start-up folder it is relative to is taken as
// the system gave it, so that a folder named "Café" still holds the data file.
std::wstring startupDataPath(const App& app, const std::string& dataPath, const StartupDataFile& file) {
    if (file.filePath == dataPath || app.startupFolder.empty() ||
        file.filePath.compare(0, app.startupDirectory.size() + 1, app.startupDirectory + "\\") != 0)
        return widen(file.filePath);
    return app.startupFolder + L"\\" + widen(file.filePath.substr(app.startupDirectory.size() + 1));
}

}  // namespace

void loadDataFileAtStartup(App& app, const std::string& dataPath) {
    StartupDataFile file = startupDataFile(dataPath, app.startupDirectory);
    app.document.fileName = file.fileName;
    app.documentPath = startupDataPath(app, dataPath, file);
    bool loaded = loadDataFileAt(app, app.documentPath);
    showFileNameInCaption(app);
    if (loaded) app.document.loaded = true;
    else sayNotOpened(app);
}

bool saveBeforeExit(App& app) { return saveDocument(app); }

bool handleDocumentCommand(App& app, int command) {
    switch (command) {
    case CMD_OPEN_DATA_FILE: openDataFile(app); return true;
    case CMD_NEW_DOCUMENT: newDocument(app); return true;
    case CMD_SAVE: save(app); return true;
    case CMD_SAVE_AS: saveDocumentAs(app); return true;
    case CMD_IMPORT_DATA_FILE: {
        UndoStep step(app.document, "インポート");
        importDataFileUnderSelection(app);
        return true;
    }
    case CMD_EXPORT_SUB_DATA_FILE: exportSelectedSubtree(app); return true;
    }
    return false;
}

}  // namespace perchlet
