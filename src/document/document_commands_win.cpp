#include "document/document_commands_win.h"

#include <future>
#include <system_error>

#include "document/disk_file_win.h"
#include "document/disk_questions_win.h"
#include "document/save_decision.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_encoding.h"
#include "store/document_text_win.h"
#include "store/file_io_win.h"
#include "store/incoming_text_win.h"
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

enum class SaveOutcome { Written, NothingToWrite, NotWritten, HandledOtherwise };

// The name and extension of a path, as the caption shows it.
std::wstring displayedFileName(const std::wstring& path) {
    std::size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// The backup copy: the data file's base name with ".bak", beside the data file.
std::wstring backupPathFor(const std::wstring& path) {
    std::wstring name = displayedFileName(path);
    std::size_t dot = name.rfind(L'.');
    std::wstring folder = path.substr(0, path.size() - name.size());
    return folder + (dot == std::wstring::npos ? name : name.substr(0, dot)) + L".bak";
}

// A new document is offered the name and place it has at the next start; one with a file,
// that file.
std::wstring initialSavePath(const DocumentContext& context) {
    const std::wstring& path = context.workspace.document.file.path;
    return path.empty() ? context.startupFolderWide + L"\\" + widen(kDefaultDataFileName) : path;
}

// What a save writes: the whole document, or the subtree at start. It is made piece by piece
// as the file is written, so that a large document is never held a second time as one text.
struct SavedText {
    const Document& document;
    NodeId start = kTopLevel;

    bool empty() const {
        const BookmarkTree& tree = document.tree;
        return start == kTopLevel ? tree.firstTopLevel() == kNoNode : !tree.isAlive(start);
    }
    // The whole document is numbered from 0, an exported subtree from the serial counter.
    bool writeTo(const TextSink& sink) const {
        std::uint16_t base = start == kTopLevel ? 0 : document.serials.value;
        return writeDataFilePieces(document, start, base, document.file.encoding, sink);
    }
};

// Writes text over path; the user agreed to write over a read-only file, and it stays
// read-only. The hash of the bytes written, taken as they go, or nothing when they were not.
std::optional<std::uint64_t> writeKeepingReadOnly(const std::wstring& path, const SavedText& text) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    std::uint64_t hash = kHashOfNothing;
    bool written = writeWholeText(path, [&](const TextSink& sink) {
        return text.writeTo([&](std::string_view piece) {
            hash = hashOfBytes(piece, hash);
            return sink(piece);
        });
    });
    if (readOnly) SetFileAttributesW(path.c_str(), attributes);
    if (!written) return std::nullopt;
    return hash;
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
SaveOutcome writeDocumentText(DocumentContext& context, const SavedText& text, std::wstring path,
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
    std::optional<std::uint64_t> hash = writeKeepingReadOnly(path, text);
    if (!hash) return SaveOutcome::NotWritten;
    if (toDataFile) rememberDataFile(context.workspace.document, path, *hash);
    return SaveOutcome::Written;
}

// Writes the whole document to its file, asking first when the disk holds another version
// unless that question was already answered.
bool writeToItsFile(DocumentContext& context, bool versionSettled) {
    Document& document = context.workspace.document;
    SaveOutcome outcome =
        writeDocumentText(context, SavedText{document}, document.file.path, L"", versionSettled);
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
    return writeDocumentText(context, SavedText{context.workspace.document}, L"", initialSavePath(context)) !=
           SaveOutcome::NotWritten;
}

DataFileType dataFileTypeOf(TextEncoding encoding) {
    return encoding == TextEncoding::ShiftJis ? DataFileType::ShiftJis : DataFileType::Utf8;
}

TextEncoding encodingOf(DataFileType type) {
    return type == DataFileType::ShiftJis ? TextEncoding::ShiftJis : TextEncoding::Utf8;
}

// Characters Shift-JIS cannot hold would become "〓" in the document and the file: the user
// says first whether that is what they want.
bool agreesToWriteAs(DocumentContext& context, TextEncoding encoding) {
    EncodingLoss loss = lossConvertingTo(context.workspace.document, encoding);
    if (loss.characters == 0) return true;
    return showMessage(context.workspace.mainWindow,
                       "この文書には Shift-JIS で保存できない文字が " + std::to_string(loss.characters) + " 文字（" +
                           std::to_string(loss.items) +
                           " 項目）あります。\r\nShift-JIS で保存すると、それらは「〓」に置き換えられ、"
                           "元に戻せなくなります。\r\n続けますか？",
                       "名前を付けて保存", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
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
    if (text && examineDataFile(*text, dataFileEncoding(*text)) == DataFileContent::NoRecord) {
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
    Document& document = context.workspace.document;
    if (document.tree.firstTopLevel() == kNoNode) {
        sayNoData(context);
        return true;
    }
    DataFileType type = dataFileTypeOf(document.file.encoding);
    std::wstring path = chooseDataFileSavePath(context.workspace.mainWindow, type, initialSavePath(context));
    TextEncoding encoding = encodingOf(type);
    if (path.empty() || !agreesToWriteAs(context, encoding) ||
        checkBeforeWriting(context, path, true) != BeforeSave::Write)
        return false;
    convertDocumentEncoding(document, encoding);
    std::optional<std::uint64_t> hash = writeKeepingReadOnly(path, SavedText{document});
    if (!hash) return false;
    rememberDataFile(document, path, *hash);
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
    std::optional<TextEncoding> encoding = text ? dataFileEncoding(*text) : std::nullopt;
    if (!encoding || examineDataFile(*text, encoding) == DataFileContent::NoRecord) {
        sayNotOpened(context, path, kOpenCaption);
        return false;
    }
    std::wstring fileName = workspace.document.file.name;
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
    Document& document = context.workspace.document;
    HWND owner = context.workspace.mainWindow;
    std::size_t notHeld = charactersNotHeldInDataFile(*text);
    TextEncoding into = encodingForIncomingText(owner, document, notHeld, kImportCaption);
    document.loaded = true;
    DataFileReadResult result = importDataFile(*text, document, target, context.workspace.treeView, into);
    if (!result.rejected && into == TextEncoding::ShiftJis) sayCharactersMarked(owner, notHeld, kImportCaption);
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
    const Document& document = context.workspace.document;
    writeDocumentText(context, SavedText{document, start}, L"");
}

void showFileNameInCaption(Workspace& workspace) {
    std::wstring caption = workspace.document.file.name + L" - Perchlet";
    if (caption.size() > MAX_PATH - 1) {
        std::size_t cut = MAX_PATH - 1;
        // Half of a character beyond U+FFFF would show as a box.
        if (IS_HIGH_SURROGATE(caption[cut - 1])) --cut;
        caption.resize(cut);
    }
    // Windows editors mark unsaved changes this way.
    if (workspace.document.modified()) caption.insert(0, L"*");
    SetWindowTextW(workspace.mainWindow, caption.c_str());
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

void setDocumentFile(DocumentContext& context, const std::wstring& path, const std::wstring& name) {
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
    // Until a file is read into it, it is a new document.
    context.workspace.document.file.encoding = kNewDocumentEncoding;
    context.disk.declinedHash.reset();
    context.workspace.treeView.buildImageList(context.workspace.instance);
}

bool loadDataFileAt(DocumentContext& context, const std::wstring& path) {
    std::optional<std::string> text = readWholeFile(path);
    return text && loadDataFileText(context, path, *text);
}

namespace {

// The hash of text, taken on a thread of its own while the caller goes on where the text is
// large enough to be worth a thread's memory; at once otherwise, or where none can be had.
std::future<std::uint64_t> hashAside(const std::string& text) {
    constexpr std::size_t kWorthAThread = 1 << 20;
    if (text.size() >= kWorthAThread) {
        try {
            return std::async(std::launch::async, [&text] { return hashOfBytes(text); });
        } catch (const std::system_error&) {
        }
    }
    std::promise<std::uint64_t> hash;
    hash.set_value(hashOfBytes(text));
    return hash.get_future();
}

}  // namespace

bool loadDataFileText(DocumentContext& context, const std::wstring& path, const std::string& text) {
    HWND tree = context.workspace.treeView.window();
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    // The document takes the file's own encoding, so that it is written back as it was read.
    std::optional<TextEncoding> encoding = dataFileEncoding(text);
    DataFileReadResult result = loadDataFile(text, context.workspace.document, context.workspace.treeView, encoding);
    // The hash that later tells another program's change of the file is taken while the tree
    // shows its first screen, which leaves a core free; a large file's load uses both.
    std::future<std::uint64_t> hash = hashAside(text);
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    bool loaded = !result.rejected && !result.noRecord;
    if (loaded) {
        context.workspace.document.file.encoding = result.encoding;
        context.workspace.document.serials.value = result.nextCounter;
        showLoadedTree(context);
    }
    rememberDataFile(context.workspace.document, path, hash.get());
    InvalidateRect(tree, nullptr, TRUE);
    if (context.settings.backupFile == 1) {
        std::string asRead = text.substr(0, text.find('\0'));
        writeWholeText(backupPathFor(path), asRead);
    }
    return loaded;
}

void loadDataFileAtStartup(DocumentContext& context, const std::string& dataPath) {
    std::string startupFolder = narrowText(context.startupFolderWide, TextEncoding::Utf8);
    StartupDataFile file = startupDataFile(dataPath, startupFolder);
    std::wstring path = widenText(file.filePath, TextEncoding::Utf8);
    bool loaded = loadDataFileAt(context, path);
    setDocumentFile(context, path, widenText(file.fileName, TextEncoding::Utf8));
    if (loaded) context.workspace.document.loaded = true;
    else sayNotOpened(context, path, kOpenCaption);
}

bool saveBeforeExit(DocumentContext& context) { return saveToDocumentPath(context); }

}  // namespace perchlet
