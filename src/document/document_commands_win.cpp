#include "document/document_commands_win.h"

#include "document/disk_check_win.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_text.h"
#include "store/file_io_win.h"
#include "store/tree_paths.h"

namespace perchlet {

namespace {

constexpr int kDataFileFilter = 2;

// Captions name the action the user took.
constexpr char kSaveCaption[] = "保存";
constexpr char kOpenCaption[] = "開く";
constexpr char kImportCaption[] = "インポート";

void sayNoData(DocumentContext& context) {
    showMessage(context.workspace.mainWindow, "保存するデータがありません。", kSaveCaption, MB_OK | MB_ICONWARNING);
}
void sayNotOpened(DocumentContext& context, const std::wstring& path, const char* caption) {
    showMessage(context.workspace.mainWindow, "データファイルとして開けませんでした。\r\n" + narrow(path), caption,
                MB_OK | MB_ICONERROR);
}
void sayNoRecord(DocumentContext& context, const char* caption) {
    showMessage(context.workspace.mainWindow, "読み込める項目がないため、ファイルを開きませんでした。", caption,
                MB_OK | MB_ICONWARNING);
}
void sayNothingSelected(DocumentContext& context, const char* caption) {
    showMessage(context.workspace.mainWindow, "ツリーで項目を選択して下さい。", caption, MB_OK | MB_ICONWARNING);
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

// A new document is offered the name and place it has at the next start; one with a file,
// that file.
std::wstring initialSavePath(const DocumentContext& context) {
    return context.path.empty() ? context.startupFolder + L"\\" + widen(kDefaultDataFileName) : context.path;
}

// Writes over a read-only file only when the user says so, and the file stays read-only.
bool writeKeepingReadOnly(const std::wstring& path, const std::string& text) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    bool written = writeWholeText(path, text);
    if (readOnly) SetFileAttributesW(path.c_str(), attributes);
    return written;
}

// Writes text to path, or to a path the user chooses when path is empty.
SaveOutcome writeDocumentText(DocumentContext& context, const std::string& text, std::wstring path,
                              const std::wstring& initialPath = L"") {
    if (text.empty()) {
        sayNoData(context);
        return SaveOutcome::NothingToWrite;
    }
    bool toDataFile = !path.empty() && path == context.path;
    if (path.empty()) path = chooseSavePath(context.workspace.mainWindow, kDataFileFilter, initialPath);
    if (path.empty() || !mayWriteOver(context, path) || !writeKeepingReadOnly(path, text))
        return SaveOutcome::NotWritten;
    if (toDataFile) rememberDataFile(context.workspace.document, path, text);
    return SaveOutcome::Written;
}

// Save: to the current file path, or, for a document without one, as Save As.
// A data file another program changed is not overwritten without the user's answer.
bool saveToDocumentPath(DocumentContext& context) {
    if (context.path.empty()) return saveDocumentAsChosen(context);
    switch (checkBeforeSave(context)) {
    case BeforeSave::Write: break;
    case BeforeSave::HandledOtherwise: return true;
    case BeforeSave::Stop: return false;
    }
    return writeDocumentToItsFile(context);
}

// Before Open and New drop unsaved changes. False when the command must stop.
bool offerToSaveChanges(DocumentContext& context) {
    if (!context.workspace.document.modified) return true;
    int answer = showMessage(context.workspace.mainWindow, "編集中のファイルを保存しますか？", "新しいファイルを開きます",
                             MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return false;
    if (answer == IDNO) return true;
    // Always asks for a name. Cancelling the dialog cancels the command: nothing is lost.
    return writeDocumentText(context, writeWholeDocument(context.workspace.document), L"", initialSavePath(context)) !=
           SaveOutcome::NotWritten;
}

void showLoadedTree(DocumentContext& context) {
    NodeId first = context.workspace.document.tree.firstTopLevel();
    HWND tree = context.workspace.treeView.window();
    SetFocus(tree);
    if (first == kNoNode) return;
    context.workspace.treeView.select(first);
    context.workspace.treeView.expand(first);
}

}  // namespace

void openDataFile(DocumentContext& context) {
    if (!offerToSaveChanges(context)) return;
    std::wstring path = chooseOpenPath(context.workspace.mainWindow, kDataFileFilter);
    if (path.empty()) return;
    std::optional<std::string> text = readWholeFile(path);
    // Blocks without one readable record would open as an empty document, which a Save
    // would then write over the file: the document open now stays as it is.
    if (text && examineDataFile(*text) == DataFileContent::NoRecord) {
        sayNoRecord(context, kOpenCaption);
        return;
    }
    resetDocumentAndView(context);
    if (!text || !loadDataFileText(context, path, *text)) {
        sayNotOpened(context, path, kOpenCaption);
        return;
    }
    context.workspace.document.fileName = displayedFileName(path);
    context.path = path;
    showFileNameInCaption(context.workspace);
    context.workspace.document.loaded = true;
    context.workspace.document.modified = false;
}

void newDocument(DocumentContext& context) {
    if (!offerToSaveChanges(context)) return;
    resetDocumentAndView(context);
    NodeId root = insertRootItem(context.workspace.document);
    context.workspace.document.loaded = true;
    context.workspace.document.modified = false;
    context.workspace.treeView.select(root);
}

void saveDocument(DocumentContext& context) {
    if (!context.workspace.document.loaded) {
        sayNoData(context);
        return;
    }
    saveToDocumentPath(context);
}

void saveDocumentAs(DocumentContext& context) {
    if (!context.workspace.document.loaded) {
        sayNoData(context);
        return;
    }
    saveDocumentAsChosen(context);
}

bool saveDocumentAsChosen(DocumentContext& context) {
    std::string text = writeWholeDocument(context.workspace.document);
    if (text.empty()) {
        sayNoData(context);
        return true;
    }
    std::wstring path = chooseSavePath(context.workspace.mainWindow, kDataFileFilter, initialSavePath(context));
    if (path.empty() || !mayWriteOver(context, path) || !writeKeepingReadOnly(path, text)) return false;
    context.path = path;
    rememberDataFile(context.workspace.document, path, text);
    context.disk.declinedHash.reset();
    context.workspace.document.fileName = displayedFileName(path);
    showFileNameInCaption(context.workspace);
    context.workspace.document.modified = false;
    context.workspace.document.history.markSaved();
    if (context.savedToFile) context.savedToFile(path);
    return true;
}

bool writeDocumentToItsFile(DocumentContext& context) {
    Document& document = context.workspace.document;
    SaveOutcome outcome = writeDocumentText(context, writeWholeDocument(document), context.path);
    if (outcome == SaveOutcome::Written) {
        document.modified = false;
        document.history.markSaved();
        if (context.savedToFile) context.savedToFile(context.path);
    }
    return outcome != SaveOutcome::NotWritten;
}

bool reloadDataFile(DocumentContext& context) {
    Workspace& workspace = context.workspace;
    std::wstring path = context.path;
    // What is there now must be a data file before this document gives way to it.
    std::optional<std::string> text = readWholeFile(path);
    if (!text || !hasDataFileSignature(*text) || examineDataFile(*text) == DataFileContent::NoRecord) {
        sayNotOpened(context, path, kOpenCaption);
        return false;
    }
    std::string fileName = workspace.document.fileName;
    TitlePath selected = titlePathOf(workspace.document.tree, workspace.treeView.selectedNode());
    resetDocumentAndView(context);
    bool loaded = loadDataFileText(context, path, *text);
    context.path = path;
    workspace.document.fileName = fileName;
    showFileNameInCaption(workspace);
    if (!loaded) {
        sayNotOpened(context, path, kOpenCaption);
        return false;
    }
    workspace.document.loaded = true;
    workspace.document.modified = false;
    NodeId again = nodeAtTitlePath(workspace.document.tree, selected);
    if (again != kNoNode) workspace.treeView.select(again);
    return true;
}

void importDataFileUnderSelection(DocumentContext& context) {
    NodeId target = context.workspace.treeView.selectedNode();
    if (target == kNoNode) {
        sayNothingSelected(context, kImportCaption);
        return;
    }
    std::wstring path = chooseOpenPath(context.workspace.mainWindow, kDataFileFilter);
    if (path.empty()) return;  // the user's own choice: nothing to report
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        sayNotOpened(context, path, kImportCaption);
        return;
    }
    context.workspace.document.loaded = true;
    DataFileReadResult result = importDataFile(*text, context.workspace.document, target, context.workspace.treeView);
    if (result.rejected) {
        // Not a data file: nothing went in, and the user is told so.
        sayNotOpened(context, path, kImportCaption);
        return;
    }
    if (result.noRecord) {
        sayNoRecord(context, kImportCaption);
        return;
    }
    context.workspace.document.serials.value = result.nextCounter;
    context.workspace.document.modified = true;
}

void exportSelectedSubtree(DocumentContext& context) {
    NodeId start = context.workspace.treeView.selectedNode();
    if (start == kNoNode) {
        sayNothingSelected(context, "エクスポート");
        return;
    }
    writeDocumentText(context, writeDataFile(context.workspace.document, start, context.workspace.document.serials.value), L"");
}

void showFileNameInCaption(Workspace& workspace) {
    std::string caption = workspace.document.fileName + " - Perchlet";
    caption = fitField(caption, MAX_PATH - 1);
    // Windows editors mark unsaved changes this way.
    if (workspace.document.modified) caption.insert(0, "*");
    SetWindowTextW(workspace.mainWindow, widen(caption).c_str());
}

void followModifiedInCaption(HWND mainWindow, bool modified) {
    if (!mainWindow) return;
    std::wstring caption = windowText(mainWindow);
    bool marked = !caption.empty() && caption[0] == L'*';
    if (marked == modified) return;
    if (modified) caption.insert(0, L"*");
    else caption.erase(0, 1);
    SetWindowTextW(mainWindow, caption.c_str());
}

void resetDocumentAndView(DocumentContext& context) {
    resetDocument(context.workspace.document);
    context.path.clear();
    context.disk.declinedHash.reset();
    context.workspace.treeView.buildImageList(context.workspace.instance);
}

bool loadDataFileAt(DocumentContext& context, const std::wstring& path) {
    std::optional<std::string> text = readWholeFile(path);
    return text && loadDataFileText(context, path, *text);
}

bool loadDataFileText(DocumentContext& context, const std::wstring& path, const std::string& text) {
    rememberDataFile(context.workspace.document, path, text);
    HWND tree = context.workspace.treeView.window();
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    DataFileReadResult result = loadDataFile(text, context.workspace.document, context.workspace.treeView);
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    bool loaded = !result.rejected && !result.noRecord;
    if (loaded) {
        context.workspace.document.serials.value = result.nextCounter;
        showLoadedTree(context);
    }
    InvalidateRect(tree, nullptr, TRUE);
    if (context.settings.backupFile == 1) {
        // The copy goes to the current folder, as it always has.
        std::string asRead = text.substr(0, text.find('\0'));
        writeWholeText(backupPathFor(path), asRead);
    }
    return loaded;
}

namespace {

// "DataPass" is text from the settings; the start-up folder it is relative to is taken as
// the system gave it, so that a folder named "Café" still holds the data file.
std::wstring startupDataPath(const DocumentContext& context, const std::string& dataPath,
                             const StartupDataFile& file) {
    if (file.filePath == dataPath || context.startupFolder.empty() ||
        file.filePath.compare(0, context.startupDirectory.size() + 1, context.startupDirectory + "\\") != 0)
        return widen(file.filePath);
    return context.startupFolder + L"\\" + widen(file.filePath.substr(context.startupDirectory.size() + 1));
}

}  // namespace

void loadDataFileAtStartup(DocumentContext& context, const std::string& dataPath) {
    StartupDataFile file = startupDataFile(dataPath, context.startupDirectory);
    context.workspace.document.fileName = file.fileName;
    context.path = startupDataPath(context, dataPath, file);
    bool loaded = loadDataFileAt(context, context.path);
    showFileNameInCaption(context.workspace);
    if (loaded) context.workspace.document.loaded = true;
    else sayNotOpened(context, context.path, kOpenCaption);
}

bool saveBeforeExit(DocumentContext& context) { return saveToDocumentPath(context); }

}  // namespace perchlet
