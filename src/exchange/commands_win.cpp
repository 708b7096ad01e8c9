#include "exchange/commands_win.h"

#include <functional>
#include <optional>
#include <vector>

#include "exchange/browser_import_win.h"
#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/favorites_fs_win.h"
#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "shell/text_win.h"
#include "store/document_encoding.h"
#include "store/file_io_win.h"
#include "store/incoming_text_win.h"
#include "store/tree_population.h"

namespace perchlet {

namespace {

constexpr int kHtmlFilter = 3;
constexpr int kCsvFilter = 4;

constexpr char kExportCaption[] = "エクスポート";
constexpr char kImportCaption[] = "インポート";

void warn(ExchangeContext& context, const std::string& text, const char* caption) {
    showMessage(context.workspace.mainWindow, text, caption, MB_OK | MB_ICONWARNING);
}
void sayFailed(ExchangeContext& context, const std::string& text, const char* caption) {
    showMessage(context.workspace.mainWindow, text, caption, MB_OK | MB_ICONERROR);
}

// Where a whole-tree export starts (it needs a document; every top-level item is written),
// or a subtree export (it needs a selection). kNoNode after telling the user why not.
NodeId exportStart(ExchangeContext& context, ExportScope scope) {
    if (scope == ExportScope::WholeTree) {
        NodeId root = context.workspace.document.tree.firstTopLevel();
        if (!context.workspace.document.loaded || root == kNoNode) {
            warn(context, "書き出すデータがありません。", kExportCaption);
            return kNoNode;
        }
        return kTopLevel;
    }
    NodeId selected = context.workspace.treeView.selectedNode();
    if (selected == kNoNode) warn(context, "書き出す項目をツリーで選択して下さい。", kExportCaption);
    return selected;
}

// Where an import goes: the selected item, or, with no document (or no item) yet, the root
// of a new one, made only once there is something to import.
struct ImportPlace {
    NodeId selected = kNoNode;
    bool needsRoot = false;
};

std::optional<ImportPlace> importPlace(ExchangeContext& context) {
    const Document& document = context.workspace.document;
    NodeId selected = context.workspace.treeView.selectedNode();
    if (selected != kNoNode) return ImportPlace{selected, false};
    if (!document.loaded || document.tree.firstTopLevel() == kNoNode) return ImportPlace{kNoNode, true};
    warn(context, "読み込む先のフォルダをツリーで選択して下さい。", kImportCaption);
    return std::nullopt;
}

// The node the import goes under; kNoNode when the user cancelled the new document's question.
NodeId importTarget(ExchangeContext& context, const ImportPlace& place) {
    if (!place.needsRoot) return place.selected;
    Workspace& workspace = context.workspace;
    if (!workspace.document.loaded) {
        newDocument(context.documentCommands);  // as File > New: a question about unsaved changes first
        return workspace.treeView.selectedNode();
    }
    // A document whose items were all deleted: its root comes back as part of this import.
    NodeId root = insertRootItem(workspace.document);
    workspace.treeView.select(root);
    return root;
}

// A file's tree cut by the depth limit at loading is written as the several top-level trees
// it became; the user hears why they are apart. Empty when nothing was cut.
std::string depthCutNote(const Document& document, NodeId start) {
    std::size_t cut = start == kTopLevel ? treesCutAtDepthLimit(document.tree) : 0;
    if (cut == 0) return {};
    return "データの階層が深すぎたため（" + std::to_string(kMaxDepth) + " 階層まで）、読み込んだときに " +
           std::to_string(cut) + " か所で切れ、最上位の " + std::to_string(cut + 1) +
           " 個のツリーに分かれています。分かれたツリーもすべて書き出しました。";
}

using Exporter = std::function<std::string(const Document&, NodeId)>;

void exportToFile(ExchangeContext& context, ExportScope scope, int filter, const Exporter& exporter) {
    NodeId start = exportStart(context, scope);
    if (start == kNoNode) return;
    std::string text = exporter(context.workspace.document, start);
    if (text.empty()) {
        warn(context, "書き出すデータがありません。", kExportCaption);
        return;
    }
    std::wstring path = chooseSavePath(context.workspace.mainWindow, filter);
    if (path.empty()) return;
    if (!writeWholeText(path, text)) {
        sayFailed(context, "書き込めませんでした。\r\n" + narrow(path), kExportCaption);
        return;
    }
    std::string note = depthCutNote(context.workspace.document, start);
    if (!note.empty()) showMessage(context.workspace.mainWindow, note, kExportCaption, MB_OK | MB_ICONINFORMATION);
}

// Once, before anything is written: what to do with the files already in the folder.
// Nothing when the user cancels.
std::optional<ExistingFiles> askAboutExistingFiles(ExchangeContext& context, const ExistingFavorites& existing) {
    if (existing.count == 0) return ExistingFiles::Replace;
    std::string text = "選んだフォルダには、書き出すものと同じ名前のファイルが " + std::to_string(existing.count) +
                       " 個あります（最初: " + narrow(existing.first.filename().wstring()) +
                       "）。\r\n\r\nはい: 置き換える\r\nいいえ: 両方残す（新しいほうに番号を付ける）\r\n"
                       "キャンセル: 書き出さない";
    int answer = showMessage(context.workspace.mainWindow, text, kExportCaption,
                             MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDYES) return ExistingFiles::Replace;
    if (answer == IDNO) return ExistingFiles::KeepBoth;
    return std::nullopt;
}

// A path for a message: from the chosen folder on, its middle left out when long.
std::string shownPath(const std::filesystem::path& path, const std::wstring& folder) {
    constexpr std::size_t kShownCharacters = 80;
    std::wstring text = path.wstring();
    if (text.compare(0, folder.size(), folder) == 0 && text.size() > folder.size()) text.erase(0, folder.size() + 1);
    if (text.size() > kShownCharacters)
        text = text.substr(0, kShownCharacters / 2) + L"…" + text.substr(text.size() - kShownCharacters / 2);
    return narrow(text);
}

// One closing message for what the favorites export could not do as asked.
void sayFavoritesExported(ExchangeContext& context, const FavoritesExportResult& result, const std::wstring& folder,
                          NodeId start) {
    std::vector<std::string> lines;
    if (!result.failedWrites.empty())
        lines.push_back(std::to_string(result.failedWrites.size()) +
                        " 件は書き込めなかったため、飛ばしました（最初: " + shownPath(result.failedWrites.front(), folder) +
                        "）。" + (result.itemsInFailedFolders > 0 ? "作れなかったフォルダの中の " +
                                                                    std::to_string(result.itemsInFailedFolders) +
                                                                    " 項目も書き出していません。"
                                                              : std::string()));
    if (result.itemsNotWritten > 0)
        lines.push_back(std::to_string(result.foldersNotEntered) + " 個のフォルダは " +
                        std::to_string(kFavoritesExportLevels) + " 階層より深いため、中の " +
                        std::to_string(result.itemsNotWritten) + " 項目を書き出していません。");
    if (result.namesShortened > 0)
        lines.push_back(std::to_string(result.namesShortened) + " 個の名前は、パスが長すぎるため短くしました。");
    std::string note = depthCutNote(context.workspace.document, start);
    if (!note.empty()) lines.push_back(note);
    if (lines.empty()) return;
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n\r\n") + line;
    bool lost = !result.failedWrites.empty() || result.itemsNotWritten > 0;
    showMessage(context.workspace.mainWindow, text, kExportCaption, MB_OK | (lost ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// Once per import: how many items lost characters to Shift-JIS, naming the first.
void sayMarkedItems(HWND owner, std::size_t items, const std::string& firstTitle) {
    if (items == 0) return;
    showMessage(owner, markedItemsNote(items, firstTitle), kImportCaption, MB_OK | MB_ICONINFORMATION);
}

void showImported(ExchangeContext& context, NodeId target, const ImportResult& result) {
    context.workspace.treeView.select(result.lastCreated != kNoNode ? result.lastCreated : target);
    sayMarkedItems(context.workspace.mainWindow, result.markedItems, result.firstMarkedTitle);
}

std::string csvOf(const ExchangeContext& context, const Document& document, NodeId start) {
    TextEncoding encoding = document.file.encoding;
    return exportCsv(document, start, convertText(context.startupFolderShiftJis, TextEncoding::ShiftJis, encoding),
                     encoding);
}

// An import run into a document, its texts made in `into`.
using ImportInto = std::function<void(Document& document, NodeId target, TextEncoding into)>;

// Characters of the import's titles and comments that Shift-JIS cannot hold: it is read into
// a scratch UTF-8 document first, so that the real one is untouched until the user answers.
std::size_t charactersNotHeld(const ImportInto& import) {
    Document scratch;
    scratch.file.encoding = TextEncoding::Utf8;
    import(scratch, insertRootItem(scratch), TextEncoding::Utf8);
    return lossConvertingTo(scratch, TextEncoding::ShiftJis).characters;
}

// The encoding the import comes in as; a Shift-JIS document that would lose characters asks
// once. Keeping Shift-JIS marks them as the imports always have, and says so once.
TextEncoding importEncoding(ExchangeContext& context, const ImportInto& import) {
    Document& document = context.workspace.document;
    bool mayAsk = document.file.encoding == TextEncoding::ShiftJis &&
                  document.file.shiftJisAnswer != ShiftJisAnswer::KeepShiftJis;
    if (!mayAsk) return document.file.encoding;
    return encodingForIncomingText(context.workspace.mainWindow, document, charactersNotHeld(import), kImportCaption);
}

// Asks as above, then runs the import into the document.
void runImport(ExchangeContext& context, NodeId target, const ImportInto& import) {
    TextEncoding into = importEncoding(context, import);
    import(context.workspace.document, target, into);
}

}  // namespace

void exportNetscapeFile(ExchangeContext& context, ExportScope scope) {
    exportToFile(context, scope, kHtmlFilter, [](const Document& document, NodeId start) {
        return exportNetscapeAs(document, start, document.file.encoding);
    });
}

void exportTreeHtmlFile(ExchangeContext& context, ExportScope scope) {
    exportToFile(context, scope, kHtmlFilter, [](const Document& document, NodeId start) {
        return exportTreeHtmlAs(document, start, document.file.encoding);
    });
}

void exportCsvFile(ExchangeContext& context, ExportScope scope) {
    exportToFile(context, scope, kCsvFilter,
                 [&context](const Document& document, NodeId start) { return csvOf(context, document, start); });
}

void importNetscapeFile(ExchangeContext& context) {
    std::optional<ImportPlace> place = importPlace(context);
    if (!place) return;
    std::wstring path = chooseOpenPath(context.workspace.mainWindow, kHtmlFilter);
    if (path.empty()) return;  // the user's own choice: nothing to report
    std::optional<std::string> text = readWholeFileOfferingUtf8(path, context.workspace.mainWindow);
    if (!text) {
        sayFailed(context, "ファイルを開けませんでした。\r\n" + narrow(path), kImportCaption);
        return;
    }
    NodeId target = importTarget(context, *place);
    if (target == kNoNode) return;
    ImportResult result;
    // The reader takes the text in the document's encoding; the file was read as Shift-JIS
    // (a UTF-8 file converted, its other characters as references), which UTF-8 holds whole.
    runImport(context, target, [&text, &result](Document& document, NodeId under, TextEncoding into) {
        result = importNetscape(convertText(*text, TextEncoding::ShiftJis, into), document, under, into);
    });
    showImported(context, target, result);
}

void importCsvFile(ExchangeContext& context) {
    std::optional<ImportPlace> place = importPlace(context);
    if (!place) return;
    std::wstring path = chooseOpenPath(context.workspace.mainWindow, kCsvFilter);
    if (path.empty()) return;  // the user's own choice: nothing to report
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        sayFailed(context, "ファイルを開けませんでした。\r\n" + narrow(path), kImportCaption);
        return;
    }
    NodeId target = importTarget(context, *place);
    if (target == kNoNode) return;
    // A byte order mark says UTF-8, as other programs write CSV for spreadsheets.
    CsvText encoding = text->compare(0, 3, "\xEF\xBB\xBF") == 0 ? CsvText::Utf8 : CsvText::ShiftJis;
    ImportResult result;
    runImport(context, target, [&text, &result, encoding](Document& document, NodeId under, TextEncoding into) {
        result = importCsv(*text, document, under, encoding, into);
    });
    showImported(context, target, result);
}

void exportFavoritesFolder(ExchangeContext& context, ExportScope scope) {
    NodeId start = exportStart(context, scope);
    if (start == kNoNode) return;
    std::wstring folder = chooseFolderPath(context.workspace.mainWindow, "お気に入りを格納するフォルダを指定してください。", true);
    if (folder.empty()) return;  // the user's own choice: nothing to report
    WindowsFavoritesFileSystem disk;
    const Document& document = context.workspace.document;
    TextEncoding encoding = document.file.encoding;
    std::optional<ExistingFiles> existing =
        askAboutExistingFiles(context, findExistingFavorites(document, start, folder, disk, encoding));
    if (!existing) return;
    // One file that cannot be written does not keep the rest from their folder.
    FavoritesExportResult result =
        exportFavorites(document, start, folder, disk, AfterFailedWrite::CarryOn, *existing, encoding);
    sayFavoritesExported(context, result, folder, start);
}

void importFavoritesFolder(ExchangeContext& context) {
    std::optional<ImportPlace> place = importPlace(context);
    if (!place) return;
    std::wstring folder = chooseFolderPath(context.workspace.mainWindow, "お気に入りが格納されているフォルダを指定してください。", false);
    if (folder.empty()) return;
    NodeId target = importTarget(context, *place);
    if (target == kNoNode) return;
    WindowsFavoritesFileSystem disk;
    FavoritesImportResult result;
    runImport(context, target, [&](Document& document, NodeId under, TextEncoding into) {
        result = importFavorites(document, under, folder, disk, into);
    });
    for (const std::filesystem::path& unlisted : result.unlistedDirectories)
        sayFailed(context, "フォルダの中を読めませんでした。\r\n" + narrow(unlisted.wstring()), kImportCaption);
    // Once for every directory level that the limit stopped, as users know it.
    for (std::size_t i = 0; i < result.limitMessages; ++i)
        warn(context, "1000件を超えたため、その先は読み込みませんでした。", kImportCaption);
    context.workspace.treeView.select(target);
    sayMarkedItems(context.workspace.mainWindow, result.markedItems, result.firstMarkedTitle);
}

void importFromBrowserProfile(ExchangeContext& context) {
    std::optional<ImportPlace> place = importPlace(context);
    if (!place) return;
    Workspace& workspace = context.workspace;
    importFromBrowser(workspace.instance, workspace.mainWindow, workspace.document, workspace.treeView,
                      windowsBrowserFolders(), [&context, &place] { return importTarget(context, *place); });
}

}  // namespace perchlet
