#include "exchange/commands_win.h"

#include <functional>

#include "exchange/browser_import_win.h"
#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/favorites_fs_win.h"
#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "shell/text_win.h"
#include "store/file_io_win.h"

namespace perchlet {

namespace {

constexpr int kHtmlFilter = 3;
constexpr int kCsvFilter = 4;

void say(ExchangeContext& context, const char* text, const char* caption) {
    showMessage(context.workspace.mainWindow, text, caption, MB_OK);
}

// Where a whole-tree export starts (it needs a document), or a subtree export (it needs a
// selection). kNoNode after telling the user why not.
NodeId exportStart(ExchangeContext& context, ExportScope scope) {
    if (scope == ExportScope::WholeTree) {
        NodeId root = context.workspace.document.tree.firstTopLevel();
        if (!context.workspace.document.loaded || root == kNoNode) {
            say(context, "データがありません。", "Cancel !");
            return kNoNode;
        }
        return root;
    }
    NodeId selected = context.workspace.treeView.selectedNode();
    if (selected == kNoNode) say(context, "ツリーアイテムを選択して下さい。", "Cancel !");
    return selected;
}

NodeId importTarget(ExchangeContext& context) {
    NodeId selected = context.workspace.treeView.selectedNode();
    if (selected == kNoNode)
        say(context, "はじめに挿入するフォルダを指定して下さい。", "ツリーアイテムが選択されていません");
    return selected;
}

using Exporter = std::function<std::string(const Document&, NodeId)>;

void exportToFile(ExchangeContext& context, ExportScope scope, int filter, const Exporter& exporter) {
    NodeId start = exportStart(context, scope);
    if (start == kNoNode) return;
    std::string text = exporter(context.workspace.document, start);
    if (text.empty()) {
        say(context, "データがありません。", "Cancel !");
        return;
    }
    std::wstring path = chooseSavePath(context.workspace.mainWindow, filter);
    if (!path.empty()) writeWholeText(path, text);
}

void showImported(ExchangeContext& context, NodeId target, const ImportResult& result) {
    context.workspace.treeView.select(result.lastCreated != kNoNode ? result.lastCreated : target);
}

std::string csvOf(const ExchangeContext& context, const Document& document, NodeId start) {
    return exportCsv(document, start, context.startupDirectory);
}

}  // namespace

void exportNetscapeFile(ExchangeContext& context, ExportScope scope) {
    exportToFile(context, scope, kHtmlFilter, exportNetscape);
}

void exportTreeHtmlFile(ExchangeContext& context, ExportScope scope) {
    exportToFile(context, scope, kHtmlFilter, exportTreeHtml);
}

void exportCsvFile(ExchangeContext& context, ExportScope scope) {
    exportToFile(context, scope, kCsvFilter,
                 [&context](const Document& document, NodeId start) { return csvOf(context, document, start); });
}

void importNetscapeFile(ExchangeContext& context) {
    NodeId target = importTarget(context);
    if (target == kNoNode) return;
    std::wstring path = chooseOpenPath(context.workspace.mainWindow, kHtmlFilter);
    std::optional<std::string> text = readWholeFileOfferingUtf8(path, context.workspace.mainWindow);
    if (!text) {
        say(context, "ファイルを開きませんでした。", "Cancel !");
        return;
    }
    showImported(context, target, importNetscape(*text, context.workspace.document, target));
}

void importCsvFile(ExchangeContext& context) {
    NodeId target = importTarget(context);
    if (target == kNoNode) return;
    std::wstring path = chooseOpenPath(context.workspace.mainWindow, kCsvFilter);
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        say(context, "ファイルを開きませんでした。", "Cancel !");
        return;
    }
    showImported(context, target, importCsv(*text, context.workspace.document, target));
}

void exportFavoritesFolder(ExchangeContext& context, ExportScope scope) {
    NodeId start = exportStart(context, scope);
    if (start == kNoNode) return;
    std::wstring folder = chooseFolderPath(context.workspace.mainWindow, "お気に入りを格納するフォルダを指定してください。", true);
    if (folder.empty()) {
        say(context, "キャンセルしました。", "フォルダ選択（エクスポート）");
        return;
    }
    WindowsFavoritesFileSystem disk;
    FavoritesExportResult result = exportFavorites(context.workspace.document, start, folder, disk, AfterFailedWrite::Stop);
    for (const std::filesystem::path& failed : result.failedWrites) say(context, narrow(failed.wstring()).c_str(), "書き込み失敗");
}

void importFavoritesFolder(ExchangeContext& context) {
    NodeId target = importTarget(context);
    if (target == kNoNode) return;
    std::wstring folder = chooseFolderPath(context.workspace.mainWindow, "お気に入りが格納されているフォルダを指定してください。", false);
    if (folder.empty()) return;
    WindowsFavoritesFileSystem disk;
    FavoritesImportResult result = importFavorites(context.workspace.document, target, folder, disk);
    for (std::size_t i = 0; i < result.unlistedDirectories.size(); ++i) say(context, "INVALID_HANDLE_VALUE", "エラーです");
    // Once for every directory level that the limit stopped, as users know it.
    for (std::size_t i = 0; i < result.limitMessages; ++i) say(context, "1000件以上の読込はしません", "上限に達しました。");
    context.workspace.treeView.select(target);
}

void importFromBrowserProfile(ExchangeContext& context) {
    Workspace& workspace = context.workspace;
    importFromBrowser(workspace.instance, workspace.mainWindow, workspace.document, workspace.treeView,
                      windowsBrowserFolders());
}

}  // namespace perchlet
