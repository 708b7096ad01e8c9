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

void say(App& app, const char* text, const char* caption) { showMessage(app.mainWindow, text, caption, MB_OK); }

// Where a whole-tree export starts (it needs a document), or a subtree export (it needs a
// selection). kNoNode after telling the user why not.
NodeId exportStart(App& app, bool wholeTree) {
    if (wholeTree) {
        NodeId root = app.document.tree.firstTopLevel();
        if (!app.document.loaded || root == kNoNode) {
            say(app, "データがありません。", "Cancel !");
            return kNoNode;
        }
        return root;
    }
    NodeId selected = app.treeView.selectedNode();
    if (selected == kNoNode) say(app, "ツリーアイテムを選択して下さい。", "Cancel !");
    return selected;
}

NodeId importTarget(App& app) {
    NodeId selected = app.treeView.selectedNode();
    if (selected == kNoNode)
        say(app, "はじめに挿入するフォルダを指定して下さい。", "ツリーアイテムが選択されていません");
    return selected;
}

using Exporter = std::function<std::string(const Document&, NodeId)>;

void exportToFile(App& app, bool wholeTree, int filter, const Exporter& exporter) {
    NodeId start = exportStart(app, wholeTree);
    if (start == kNoNode) return;
    std::string text = exporter(app.document, start);
    if (text.empty()) {
        say(app, "データがありません。", "Cancel !");
        return;
    }
    std::wstring path = chooseSavePath(app.mainWindow, filter);
    if (!path.empty()) writeWholeText(path, text);
}

void showImported(App& app, NodeId target, const ImportResult& result) {
    app.treeView.select(result.lastCreated != kNoNode ? result.lastCreated : target);
}

void importNetscapeFile(App& app) {
    NodeId target = importTarget(app);
    if (target == kNoNode) return;
    std::wstring path = chooseOpenPath(app.mainWindow, kHtmlFilter);
    std::optional<std::string> text = readWholeFileOfferingUtf8(path, app.mainWindow);
    if (!text) {
        say(app, "ファイルを開きませんでした。", "Cancel !");
        return;
    }
    showImported(app, target, importNetscape(*text, app.document, target));
}

void importCsvFile(App& app) {
    NodeId target = importTarget(app);
    if (target == kNoNode) return;
    std::wstring path = chooseOpenPath(app.mainWindow, kCsvFilter);
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        say(app, "ファイルを開きませんでした。", "Cancel !");
        return;
    }
    showImported(app, target, importCsv(*text, app.document, target));
}

void exportFavoritesFolder(App& app, bool wholeTree) {
    NodeId start = exportStart(app, wholeTree);
    if (start == kNoNode) return;
    std::wstring folder = chooseFolderPath(app.mainWindow, "お気に入りを格納するフォルダを指定してください。", true);
    if (folder.empty()) {
        say(app, "キャンセルしました。", "フォルダ選択（エクスポート）");
        return;
    }
    WindowsFavoritesFileSystem disk;
    FavoritesExportResult result = exportFavorites(app.document, start, folder, disk, AfterFailedWrite::Stop);
    for (const std::filesystem::path& failed : result.failedWrites) say(app, narrow(failed.wstring()).c_str(), "書き込み失敗");
}

void importFavoritesFolder(App& app) {
    NodeId target = importTarget(app);
    if (target == kNoNode) return;
    std::wstring folder = chooseFolderPath(app.mainWindow, "お気に入りが格納されているフォルダを指定してください。", false);
    if (folder.empty()) return;
    WindowsFavoritesFileSystem disk;
    FavoritesImportResult result = importFavorites(app.document, target, folder, disk);
    for (std::size_t i = 0; i < result.unlistedDirectories.size(); ++i) say(app, "INVALID_HANDLE_VALUE", "エラーです");
    // Once for every directory level that the limit stopped, as users know it.
    for (std::size_t i = 0; i < result.limitMessages; ++i) say(app, "1000件以上の読込はしません", "上限に達しました。");
    app.treeView.select(target);
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
    }
    UndoStep step(app.document, "インポート");
    switch (command) {
    case CMD_IMPORT_NETSCAPE: importNetscapeFile(app); return true;
    case CMD_IMPORT_CSV: importCsvFile(app); return true;
    case CMD_IMPORT_FAVORITES: importFavoritesFolder(app); return true;
    }
    return false;
}

}  // namespace perchlet
