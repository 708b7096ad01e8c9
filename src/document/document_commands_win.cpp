#include "document/document_commands_win.h"

#include "document/disk_file_win.h"
#include "document/disk_questions_win.h"
#include "document/save_decision.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_text.h"
#include "store/file_io_win.h"
#include "store/tree_paths.h"
#include "store/plain_text.h"

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

enum class SaveOutcome { Written, NothingToWrite, NotWritten, HandledOtherwise };

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
    const std::wstring& path = context.workspace.document.file.path;
    return path.empty() ? context.startupFolderWide + L"\\" + widen(kDefaultDataFileName) : path;
}

// The user agreed to write over a read-only file: it stays read-only.
bool writeKeepingReadOnly(const std::wstring& path, const std::string& text) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    bool written = writeWholeText(path, text);
    if (readOnly) SetFileAttributesW(path.c_str(), attributes);
    return written;
}

// The check before the document's text is written over path. For the document's own file
// the bytes on disk are compared with the version last loaded or saved (unless the user has
// just chosen to keep this one); any file may be read-only.
enum class BeforeSave { Write, HandledOtherwise, Stop };

BeforeSave askWhatToDoWithOtherVersion(DocumentContext& context) {
    const Document& document = context.workspace.document;
    switch (askWhichVersion(context.workspace.mainWindow, document.file.name, document.modified())) {
    case Resolution::KeepThis: return BeforeSave::Write;
    case Resolution::LoadOther: reloadDataFile(context); return BeforeSave::HandledOtherwise;
    case Resolution::SaveElsewhere: saveDocumentAs(context); return BeforeSave::HandledOtherwise;
    case Resolution::Undecided: break;
    }
    return BeforeSave::Stop;
}

BeforeSave checkBeforeWriting(DocumentContext& context, const std::wstring& path, bool versionSettled) {
    if (context.disk.asking) return BeforeSave::Write;
    const Document& document = context.workspace.document;
    bool ownFile = path == document.file.path && mayCheckDataFile(context) && !versionSettled;
    QuestionScope scope(context.disk);
    SaveDecision decision = decideBeforeSave(ownFile ? document.file.stamp : FileStamp{}, diskFileNow(path));
    HWND owner = context.workspace.mainWindow;
    switch (decision.version) {
    case DiskVersion::Ours: break;
    case DiskVersion::Unreadable:
        if (!askToWriteUnread(owner, document.file.name)) return BeforeSave::Stop;
        break;
    case DiskVersion::Changed: {
        BeforeSave answer = askWhatToDoWithOtherVersion(context);
        if (answer != BeforeSave::Write) return answer;
        break;
    }
    }
    if (decision.readOnly && !askToWriteReadOnly(owner, path)) return BeforeSave::Stop;
    return BeforeSave::Write;
}

// Writes text to path, or to a path the user chooses when path is empty.
SaveOutcome writeDocumentText(DocumentContext& context, const std::string& text, std::wstring path,
                              const std::wstring& initialPath = L"", bool versionSettled = false) {
    if (text.empty()) {
        sayNoData(context);
        return SaveOutcome::NothingToWrite;
    }
    bool toDataFile = !path.empty() && path == context.workspace.document.file.path;
    if (path.empty()) path = chooseSavePath(context.workspace.mainWindow, kDataFileFilter, initialPath);
    if (path.empty()) return SaveOutcome::NotWritten;
    switch (checkBeforeWriting(context, path, versionSettled)) {
    case BeforeSave::Write: break;
    case BeforeSave::HandledOtherwise: return SaveOutcome::HandledOtherwise;
    case BeforeSave::Stop: return SaveOutcome::NotWritten;
    }
    if (!writeKeepingReadOnly(path, text)) return SaveOutcome::NotWritten;
    if (toDataFile) rememberDataFile(context.workspace.document, path, text);
    return SaveOutcome::Written;
}

// Writes the whole document to its file, asking first when the disk holds another version
// unless that question was already answered.
bool writeToItsFile(DocumentContext& context, bool versionSettled) {
    Document& document = context.workspace.document;
    SaveOutcome outcome =
        writeDocumentText(context, writeWholeDocument(document), document.file.path, L"", versionSettled);
    if (outcome == SaveOutcome::Written) {
        document.history.markSaved();
        if (context.savedToFile) context.savedToFile(document.file.path);
    }
    return outcome != SaveOutcome::NotWritten;
}

// Save: to the document's file, or, for a document without one, as Save As.
bool saveToDocumentPath(DocumentContext& context) {
    if (context.workspace.document.file.path.empty()) return saveDocumentAsChosen(context);
    return writeToItsFile(context, false);
}

// Before Open and New drop unsaved changes. False when the command must stop.
bool offerToSaveChanges(DocumentContext& context) {
    if (!context.workspace.document.modified()) return true;
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
    setDocumentFile(context, path, displayedFileName(path));
    context.workspace.document.loaded = true;
    context.workspace.document.history.markSaved();
}

void newDocument(DocumentContext& context) {
    if (!offerToSaveChanges(context)) return;
    resetDocumentAndView(context);
    NodeId root = insertRootItem(context.workspace.document);
    context.workspace.document.loaded = true;
    context.workspace.document.history.markSaved();
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
    if (path.empty() || checkBeforeWriting(context, path, true) != BeforeSave::Write ||
        !writeKeepingReadOnly(path, text))
        return false;
    rememberDataFile(context.workspace.document, path, text);
    context.disk.declinedHash.reset();
    context.workspace.document.history.markSaved();
    setDocumentFile(context, path, displayedFileName(path));
    if (context.savedToFile) context.savedToFile(path);
    return true;
}

bool writeDocumentToItsFile(DocumentContext& context) { return writeToItsFile(context, true); }

bool reloadDataFile(DocumentContext& context) {
    Workspace& workspace = context.workspace;
    std::wstring path = workspace.document.file.path;
    // What is there now must be a data file before this document gives way to it.
    std::optional<std::string> text = readWholeFile(path);
    if (!text || !hasDataFileSignature(*text) || examineDataFile(*text) == DataFileContent::NoRecord) {
        sayNotOpened(context, path, kOpenCaption);
        return false;
    }
    std::string fileName = workspace.document.file.name;
    TitlePath selected = titlePathOf(workspace.document.tree, workspace.treeView.selectedNode());
    resetDocumentAndView(context);
    bool loaded = loadDataFileText(context, path, *text);
    setDocumentFile(context, path, fileName);
    if (!loaded) {
        sayNotOpened(context, path, kOpenCaption);
        return false;
    }
    workspace.document.loaded = true;
    workspace.document.history.markSaved();
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
    std::string caption = workspace.document.file.name + " - Perchlet";
    caption = fitField(caption, MAX_PATH - 1);
    // Windows editors mark unsaved changes this way.
    if (workspace.document.modified()) caption.insert(0, "*");
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

void setDocumentFile(DocumentContext& context, const std::wstring& path, const std::string& name) {
    OpenFile& file = context.workspace.document.file;
    file.path = path;
    file.name = name;
    showFileNameInCaption(context.workspace);
}

bool mayCheckDataFile(const DocumentContext& context) {
    const Document& document = context.workspace.document;
    return !context.disk.asking && document.loaded && !document.file.path.empty() && document.file.stamp.known &&
           !document.history.recording();
}

void resetDocumentAndView(DocumentContext& context) {
    // The file is forgotten with the rest; the caption keeps the old name until another is set.
    resetDocument(context.workspace.document);
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
    const std::string& shiftJis = context.startupFolderShiftJis;
    if (file.filePath == dataPath || context.startupFolderWide.empty() ||
        file.filePath.compare(0, shiftJis.size() + 1, shiftJis + "\\") != 0)
        return widen(file.filePath);
    return context.startupFolderWide + L"\\" + widen(file.filePath.substr(shiftJis.size() + 1));
}

}  // namespace

void loadDataFileAtStartup(DocumentContext& context, const std::string& dataPath) {
    StartupDataFile file = startupDataFile(dataPath, context.startupFolderShiftJis);
    std::wstring path = startupDataPath(context, dataPath, file);
    bool loaded = loadDataFileAt(context, path);
    setDocumentFile(context, path, file.fileName);
    if (loaded) context.workspace.document.loaded = true;
    else sayNotOpened(context, path, kOpenCaption);
}

bool saveBeforeExit(DocumentContext& context) { return saveToDocumentPath(context); }

}  // namespace perchlet
