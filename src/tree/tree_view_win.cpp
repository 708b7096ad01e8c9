#include "tree/tree_view_win.h"

#include <shellapi.h>

#include "app/command_ids.h"
#include "app/dialogs_win.h"
#include "app/text_win.h"

namespace perchlet {

TreeViewBinding::TreeViewBinding(Document& document) : document_(document) {}

TreeViewBinding::~TreeViewBinding() { detach(); }

HWND TreeViewBinding::create(HWND parent, HINSTANCE instance, int top) {
    window_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                              0, top, 0, 0, parent, reinterpret_cast<HMENU>(IDC_TREE_VIEW), instance,
                              nullptr);
    if (window_) {
        if (imageList_) TreeView_SetImageList(window_, imageList_, TVSIL_NORMAL);
        document_.tree.addObserver(this);
    }
    return window_;
}

void TreeViewBinding::detach() {
    document_.tree.removeObserver(this);
    items_.clear();
    nodes_.clear();
    // The control may outlive this binding for a moment: it must not keep a freed list.
    if (window_ && IsWindow(window_)) TreeView_SetImageList(window_, nullptr, TVSIL_NORMAL);
    window_ = nullptr;
    if (imageList_) ImageList_Destroy(imageList_);
    imageList_ = nullptr;
}

bool TreeViewBinding::buildImageList(HINSTANCE instance) {
    instance_ = instance;
    if (imageList_) ImageList_Destroy(imageList_);
    imageList_ = ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, kFixedImageCount, 100);
    imageCount_ = 0;
    if (!imageList_) {
        showMessage(nullptr, "イメージリスト作成失敗", "OK", MB_OK);
        return false;
    }
    for (int i = 0; i < kFixedImageCount; ++i) {
        std::wstring name = L"MYICON" + std::to_wstring(i);
        HICON icon = static_cast<HICON>(LoadImageW(instance_,
                                                   name.c_str(), IMAGE_ICON, 16, 16, 0));
        ImageList_AddIcon(imageList_, icon);
        if (icon) DestroyIcon(icon);
    }
    imageCount_ = kFixedImageCount;
    if (window_) TreeView_SetImageList(window_, imageList_, TVSIL_NORMAL);
    return true;
}

static bool askShellForIcon(const std::string& path, UINT flags, HICON& icon) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(widen(path).c_str(), 0, &info, sizeof info, SHGFI_ICON | flags) || !info.hIcon)
        return false;
    icon = info.hIcon;
    return true;
}

// A command line such as C:\x\app.exe -s has no icon of its own: ask again for the
// program, cut after ".exe" and the one character that follows it.
static std::string programPart(const std::string& locator) {
    std::size_t at = locator.find(".exe");
    if (at == std::string::npos) at = locator.find(".EXE");
    if (at == std::string::npos) return {};
    return locator.substr(0, std::min(locator.size(), at + 5));
}

int TreeViewBinding::appendShellIcon(const std::string& locator, UINT flags, const wchar_t* fallback) {
    HICON icon = nullptr;
    bool fromShell = askShellForIcon(locator, flags, icon);
    if (!fromShell) {
        std::string program = programPart(locator);
        if (!program.empty()) fromShell = askShellForIcon(program, flags, icon);
    }
    if (!fromShell)
        icon = static_cast<HICON>(LoadImageW(instance_, fallback,
                                             IMAGE_ICON, 16, 16, 0));
    int index = imageCount_++;
    if (imageList_) ImageList_AddIcon(imageList_, icon);
    if (icon) DestroyIcon(icon);
    return index;
}

ImagePair TreeViewBinding::appendIconsFor(const std::string& locator) {
    int normal = appendShellIcon(locator, SHGFI_SMALLICON, L"MYICON12");
    int selected = appendShellIcon(locator, SHGFI_OPENICON, L"MYICON13");
    return {normal, selected};
}

NodeId TreeViewBinding::nodeOf(HTREEITEM item) const {
    auto it = nodes_.find(item);
    return it == nodes_.end() ? kNoNode : it->second;
}

HTREEITEM TreeViewBinding::itemOf(NodeId node) const {
    if (node == kTopLevel) return TVI_ROOT;
    return node < items_.size() ? items_[node] : nullptr;
}

NodeId TreeViewBinding::selectedNode() const {
    if (!window_) return kNoNode;
    HTREEITEM item = TreeView_GetSelection(window_);
    return item ? nodeOf(item) : kNoNode;
}

void TreeViewBinding::select(NodeId node) {
    if (HTREEITEM item = itemOf(node)) TreeView_SelectItem(window_, item);
}

void TreeViewBinding::ensureVisible(NodeId node) {
    if (HTREEITEM item = itemOf(node)) TreeView_EnsureVisible(window_, item);
}

void TreeViewBinding::expand(NodeId node) {
    if (HTREEITEM item = itemOf(node)) TreeView_Expand(window_, item, TVE_EXPAND);
}

void TreeViewBinding::nodeInserted(NodeId node) {
    if (!window_) return;
    const TreeNode& n = document_.tree.node(node);
    std::wstring text = widen(n.text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = itemOf(n.parent);
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = text.data();
    insert.item.lParam = static_cast<LPARAM>(n.itemNumber);
    insert.item.iImage = n.image;
    insert.item.iSelectedImage = n.selectedImage;
    insert.item.stateMask = TVIS_BOLD;
    insert.item.state = n.bold ? TVIS_BOLD : 0;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(window_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return;
    if (items_.size() <= node) items_.resize(node + 1, nullptr);
    items_[node] = item;
    nodes_[item] = node;
}

void TreeViewBinding::forget(NodeId node) {
    if (node >= items_.size() || !items_[node]) return;
    nodes_.erase(items_[node]);
    items_[node] = nullptr;
}

void TreeViewBinding::subtreeRemoving(NodeId node) {
    if (!window_) return;
    HTREEITEM item = itemOf(node);
    document_.tree.walkSubtree(node, [this](NodeId n) { forget(n); });
    if (item) TreeView_DeleteItem(window_, item);
}

void TreeViewBinding::nodeChanged(NodeId node) {
    HTREEITEM item = itemOf(node);
    if (!window_ || !item) return;
    const TreeNode& n = document_.tree.node(node);
    std::wstring text = widen(n.text);
    TVITEMW update{};
    update.hItem = item;
    update.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    update.pszText = text.data();
    update.lParam = static_cast<LPARAM>(n.itemNumber);
    update.iImage = n.image;
    update.iSelectedImage = n.selectedImage;
    update.stateMask = TVIS_BOLD;
    update.state = n.bold ? TVIS_BOLD : 0;
    SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
}

void TreeViewBinding::treeCleared() {
    items_.clear();
    nodes_.clear();
    if (window_) TreeView_DeleteAllItems(window_);
}

}  // namespace perchlet
