#include "exchange/commands_win.h"

#include <functional>

#include "app/command_ids.h"
#include "app/dialogs_win.h"
#include "app/file_dialogs_win.h"
#include "app/text_win.h"
#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/favorites_fs_win.h"
#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "store/file_io_win.h"

namespace perchlet {

namespace {

constexpr int kHtmlFilter = 3;
constexpr int kCsvFilter = 4;

constexpr char kExportCaption[] = "エクスポート";
constexpr char kImportCaption[] = "インポート";

void warn(App& app, const std::string& text, const char* caption) {
    showMessage(app.mainWindow, text, caption, MB_OK | MB_ICONWARNING);
}
void sayFailed(App& app, const std::string& text, const char* caption) {
    showMessage(app.mainWindow, text, caption, MB_OK | MB_ICONERROR);
}

// Where a whole-tree export starts (it needs a document), or a subtree export (it needs a
// selection). kNoNode after telling the user why not.
NodeId exportStart(App& app, bool wholeTree) {
    if (wholeTree) {
        NodeId root = app.document.tree.firstTopLevel();
        if (!app.document.loaded || root == kNoNode) {
            warn(app, "書き出すデータがありません。", kExportCaption);
            return kNoNode;
        }
        return root;
    }
    NodeId selected = app.treeView.selectedNode();
    if (selected == kNoNode) warn(app, "書き出す項目をツリーで選択して下さい。", kExportCaption);
    return selected;
}

NodeId importTarget(App& app) {
    NodeId selected = app.treeView.selectedNode();
    if (selected == kNoNode) {
        bool empty = app.document.tree.firstTopLevel() == kNoNode;
        const char* text = !empty ? "読み込む先のフォルダをツリーで選択して下さい。"
                                               : "先に ファイル → 新規作成 か データファイルを開く で、"
                                                 "読み込む先を用意して下さい。";
        warn(app, text, kImportCaption);
    }
    return selected;
}

using Exporter = std::function<std::string(const Document&, NodeId)>;

void exportToFile(App& app, bool wholeTree, int filter, const Exporter& exporter) {
    NodeId start = exportStart(app, wholeTree);
    if (start == kNoNode) return;
    std::string text = exporter(app.document, start);
    if (text.empty()) {
        warn(app, "書き出すデータがありません。", kExportCaption);
        return;
    }
    std::wstring path = chooseSavePath(app.mainWindow, filter);
    if (!path.empty()) writeWholeText(path, text);
}

// Once per import: how many items lost characters to Shift-JIS, naming the first.
void sayMarkedItems(HWND owner, std::size_t items, const std::string& firstTitle) {
    if (items == 0) return;
    std::string text = "\"" + firstTitle + "\" など " + std::to_string(items) +
                       " 項目のタイトルやコメントに、Shift-JIS で表せない文字がありました。\r\n"
                       "その文字のあった所は「〓」にしてあります。";
    showMessage(owner, text, "インポート", MB_OK | MB_ICONINFORMATION);
}

void showImported(App& app, NodeId target, const ImportResult& result) {
    app.treeView.select(result.lastCreated != kNoNode ? result.lastCreated : target);
    sayMarkedItems(app.mainWindow, result.markedItems, result.firstMarkedTitle);
}

void importNetscapeFile(App& app) {
    NodeId target = importTarget(app);
    if (target == kNoNode) return;
    std::wstring path = chooseOpenPath(app.mainWindow, kHtmlFilter);
    if (path.empty()) return;  // the user's own choice: nothing to report
    std::optional<std::string> text = readWholeFileOfferingUtf8(path, app.mainWindow);
    if (!text) {
        sayFailed(app, "ファイルを開けませんでした。\r\n" + narrow(path), kImportCaption);
        return;
    }
    showImported(app, target, importNetscape(*text, app.document, target));
}

void importCsvFile(App& app) {
    NodeId target = importTarget(app);
    if (target == kNoNode) return;
    std::wstring path = chooseOpenPath(app.mainWindow, kCsvFilter);
    if (path.empty()) return;  // the user's own choice: nothing to report
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        sayFailed(app, "ファイルを開けませんでした。\r\n" + narrow(path), kImportCaption);
        return;
    }
    // A byte order mark says UTF-8, as other programs write CSV for spreadsheets.
    CsvText encoding = text->compare(0, 3, "\xEF\xBB\xBF") == 0 ? CsvText::Utf8 : CsvText::ShiftJis;
    showImported(app, target, importCsv(*text, app.document, target, encoding));
}

void exportFavoritesFolder(App& app, bool wholeTree) {
    NodeId start = exportStart(app, wholeTree);
    if (start == kNoNode) return;
    std::wstring folder = chooseFolderPath(app.mainWindow, "お気に入りを格納するフォルダを指定してください。", true);
    if (folder.empty()) return;  // the user's own choice: nothing to report
    WindowsFavoritesFileSystem disk;
    FavoritesExportResult result = exportFavorites(app.document, start, folder, disk, AfterFailedWrite::Stop);
    for (const std::filesystem::path& failed : result.failedWrites)
        sayFailed(app, "書き込めませんでした。\r\n" + narrow(failed.wstring()), kExportCaption);
}

void importFavoritesFolder(App& app) {
    NodeId target = importTarget(app);
    if (target == kNoNode) return;
    std::wstring folder = chooseFolderPath(app.mainWindow, "お気に入りが格納されているフォルダを指定してください。", false);
    if (folder.empty()) return;
    WindowsFavoritesFileSystem disk;
    FavoritesImportResult result = importFavorites(app.document, target, folder, disk);
    for (const std::filesystem::path& unlisted : result.unlistedDirectories)
        sayFailed(app, "フォルダの中を読めませんでした。\r\n" + narrow(unlisted.wstring()), kImportCaption);
    // Once for every directory level that the limit stopped, as users know it.
    for (std::size_t i = 0; i < result.limitMessages; ++i)
        warn(app, "1000件を超えたため、その先は読み込みませんでした。", kImportCaption);
    app.treeView.select(target);
    sayMarkedItems(app.mainWindow, result.markedItems, result.firstMarkedTitle);
}

std::string csvOf(const App& app, const Document& document, NodeId start) {
    return exportCsv(document, start, app.startupDirectory);
}

}  // namespace

bool handleExchangeCommand(App& app, int command) {
    switch (command) {
    case CMD_EXPORT_NETSCAPE:
    case CMD_EXPORT_SUB_NETSCAPE:
        exportToFile(app, command == CMD_EXPORT_NETSCAPE, kHtmlFilter, exportNetscape);
        return true;
    case CMD_EXPORT_TREE_HTML:
    case CMD_EXPORT_SUB_TREE_HTML:
        exportToFile(app, command == CMD_EXPORT_TREE_HTML, kHtmlFilter, exportTreeHtml);
        return true;
    case CMD_EXPORT_CSV:
    case CMD_EXPORT_SUB_CSV:
        exportToFile(app, command == CMD_EXPORT_CSV, kCsvFilter,
                     [&app](const Document& document, NodeId start) { return csvOf(app, document, start); });
        return true;
    case CMD_EXPORT_FAVORITES:
    case CMD_EXPORT_SUB_FAVORITES:
        exportFavoritesFolder(app, command == CMD_EXPORT_FAVORITES);
        return true;
    case CMD_IMPORT_NETSCAPE: importNetscapeFile(app); return true;
    case CMD_IMPORT_CSV: importCsvFile(app); return true;
    case CMD_IMPORT_FAVORITES: importFavoritesFolder(app); return true;
    }
    return false;
}

}  // namespace perchlet
