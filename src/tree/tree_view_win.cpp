#include "tree/tree_view_win.h"

#include <shellapi.h>

#include <algorithm>

#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "store/document_text_win.h"

namespace perchlet {

namespace {

constexpr UINT_PTR kBatchTimer = 0x5042;
constexpr wchar_t kBindingProperty[] = L"perchlet.tree.binding";
// Items an opening folder shows at once, and items a burst of insertions (a load, an
// import) adds at once before the rest waits for the message loop.
constexpr std::size_t kScreenful = 128;
// A batch between messages stops after this long, so the window keeps answering.
constexpr DWORD kBatchMilliseconds = 25;
constexpr std::size_t kBatchStep = 100;
// A node this close to where its folder's batches have got is made with every item before
// it (about 40 ms in Wine); one further on is made ahead of them.
constexpr std::size_t kMakeInOrder = 2048;

// Wine's tree view works out its scroll bars again for every item inserted under an open
// folder, which makes many insertions quadratic; with drawing paused it does so once.
class RedrawPause {
public:
    explicit RedrawPause(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause() {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, FALSE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND window_;
};

}  // namespace

TreeViewBinding::TreeViewBinding(Document& document) : document_(document) {}

TreeViewBinding::~TreeViewBinding() { detach(); }

HWND TreeViewBinding::create(HWND parent, HINSTANCE instance, int top) {
    window_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_INFOTIP | TVS_EDITLABELS,
                              0, top, 0, 0, parent, reinterpret_cast<HMENU>(IDC_TREE_VIEW), instance,
                              nullptr);
    if (window_) {
        if (imageList_) TreeView_SetImageList(window_, imageList_, TVSIL_NORMAL);
        SetPropW(window_, kBindingProperty, this);
        treeCleared();
        document_.tree.addObserver(this);
        const BookmarkTree& tree = document_.tree;
        for (NodeId node = tree.firstTopLevel(); node != kNoNode; node = tree.nextSibling(node)) makeItem(node);
    }
    return window_;
}

void TreeViewBinding::detach() {
    document_.tree.removeObserver(this);
    shown_.clear();
    nodes_.clear();
    waiting_.clear();
    if (window_ && IsWindow(window_)) {
        if (timerSet_) KillTimer(window_, kBatchTimer);
        RemovePropW(window_, kBindingProperty);
        // The control may outlive this binding for a moment: it must not keep a freed list.
        TreeView_SetImageList(window_, nullptr, TVSIL_NORMAL);
    }
    timerSet_ = false;
    window_ = nullptr;
    if (imageList_) ImageList_Destroy(imageList_);
    imageList_ = nullptr;
}

bool TreeViewBinding::buildImageList(HINSTANCE instance) {
    instance_ = instance;
    if (imageList_) ImageList_Destroy(imageList_);
    imageList_ = ImageList_Create(iconSize_, iconSize_, ILC_COLOR32 | ILC_MASK, kFixedImageCount, 100);
    imageCount_ = 0;
    appended_.clear();
    if (!imageList_) {
        showMessage(nullptr, "アイコンの一覧を作れませんでした。ツリーはアイコンなしで表示します。", "Perchlet",
                    MB_OK | MB_ICONERROR);
        return false;
    }
    for (int i = 0; i < kFixedImageCount; ++i) {
        std::wstring name = L"MYICON" + std::to_wstring(i);
        HICON icon = loadIconSized(instance_, name.c_str(), iconSize_);
        ImageList_AddIcon(imageList_, icon);
        if (icon) DestroyIcon(icon);
    }
    imageCount_ = kFixedImageCount;
    if (window_) TreeView_SetImageList(window_, imageList_, TVSIL_NORMAL);
    fitItemHeight();
    return true;
}

// An item is as high as the font's line or the icon with a little room, whichever is more.
void TreeViewBinding::fitItemHeight() {
    if (!window_) return;
    TreeView_SetItemHeight(window_, -1);  // the control's own height for the font
    int wanted = std::max(TreeView_GetItemHeight(window_), iconSize_ + scaledForDpi(2, dpi_));
    // The control rounds an odd height down (its lines are drawn in pairs of pixels).
    TreeView_SetItemHeight(window_, wanted + (wanted & 1));
}

void TreeViewBinding::followScale(int dpi, HFONT font) {
    dpi_ = dpi;
    if (window_ && font) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    int size = scaledForDpi(16, dpi);
    if (size == iconSize_ && imageList_) return fitItemHeight();
    iconSize_ = size;
    if (!instance_) return;
    std::vector<AppendedIcon> appended = std::move(appended_);
    HIMAGELIST old = imageList_;
    imageList_ = nullptr;
    buildImageList(instance_);
    for (const AppendedIcon& icon : appended) addShellIcon(icon.locator, icon.flags, icon.fallback);
    if (old) ImageList_Destroy(old);
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
    int index = imageCount_++;
    addShellIcon(locator, flags, fallback);
    return index;
}

void TreeViewBinding::addShellIcon(const std::string& locator, UINT flags, const wchar_t* fallback) {
    appended_.push_back({locator, flags, fallback});
    if (!imageList_) return;
    HICON icon = nullptr;
    // The shell has two sizes: the small one up to 16 pixels at 100 %, the large one above.
    UINT size = iconSize_ > 16 ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    bool fromShell = askShellForIcon(locator, flags | size, icon);
    if (!fromShell) {
        std::string program = programPart(locator);
        if (!program.empty()) fromShell = askShellForIcon(program, flags | size, icon);
    }
    if (!fromShell) icon = loadIconSized(instance_, fallback, iconSize_);
    ImageList_AddIcon(imageList_, icon);
    if (icon) DestroyIcon(icon);
}

ImagePair TreeViewBinding::appendIconsFor(const std::string& locator) {
    int normal = appendShellIcon(locator, 0, L"MYICON12");
    int selected = appendShellIcon(locator, SHGFI_OPENICON, L"MYICON13");
    return {normal, selected};
}

TreeViewBinding* TreeViewBinding::of(HWND tree) {
    return static_cast<TreeViewBinding*>(GetPropW(tree, kBindingProperty));
}

NodeId TreeViewBinding::nodeOf(HTREEITEM item) const {
    auto it = nodes_.find(item);
    return it == nodes_.end() ? kNoNode : it->second;
}

HTREEITEM TreeViewBinding::itemOf(NodeId node) const {
    if (node == kTopLevel) return TVI_ROOT;
    return node < shown_.size() ? shown_[node].item : nullptr;
}

NodeId TreeViewBinding::selectedNode() const {
    if (!window_) return kNoNode;
    HTREEITEM item = TreeView_GetSelection(window_);
    return item ? nodeOf(item) : kNoNode;
}

void TreeViewBinding::select(NodeId node) {
    if (HTREEITEM item = ensureItem(node)) {
        beginOwnMove();
        TreeView_SelectItem(window_, item);
        TreeView_EnsureVisible(window_, item);
        endOwnMove();
    }
}

void TreeViewBinding::ensureVisible(NodeId node) {
    if (HTREEITEM item = ensureItem(node)) {
        beginOwnMove();
        TreeView_EnsureVisible(window_, item);
        endOwnMove();
    }
}

bool TreeViewBinding::isCutShort(HTREEITEM item, RECT& text) const {
    RECT client{};
    if (!window_ || !item || !GetClientRect(window_, &client)) return false;
    *reinterpret_cast<HTREEITEM*>(&text) = item;
    if (!SendMessageW(window_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text))) return false;
    return text.right > client.right;
}

void TreeViewBinding::drawEllipsis(NMTVCUSTOMDRAW& draw) {
    RECT text{};
    if (!isCutShort(reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec), text)) return;
    RECT client{};
    GetClientRect(window_, &client);
    const wchar_t kEllipsis[] = L"…";
    SIZE size{};
    GetTextExtentPoint32W(draw.nmcd.hdc, kEllipsis, 1, &size);
    RECT cover = {std::max<LONG>(text.left, client.right - size.cx - 2), text.top, client.right, text.bottom};
    HBRUSH ground = CreateSolidBrush(draw.clrTextBk);
    FillRect(draw.nmcd.hdc, &cover, ground);
    DeleteObject(ground);
    SetBkMode(draw.nmcd.hdc, TRANSPARENT);
    SetTextColor(draw.nmcd.hdc, draw.clrText);
    DrawTextW(draw.nmcd.hdc, kEllipsis, 1, &cover, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

LRESULT TreeViewBinding::customDraw(NMTVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: drawEllipsis(draw); return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

void TreeViewBinding::giveInfoTip(NMTVGETINFOTIPW& tip) {
    RECT text{};
    if (!tip.pszText || tip.cchTextMax <= 0) return;
    tip.pszText[0] = L'\0';
    NodeId node = nodeOf(tip.hItem);
    if (node == kNoNode || !isCutShort(tip.hItem, text)) return;
    lstrcpynW(tip.pszText, widenText(document_.tree.node(node).text, document_.file.encoding).c_str(), tip.cchTextMax);
}

void TreeViewBinding::sidewaysScrolled() {
    if (ownMoves_ > 0) return;
    sidewaysByUser_ = window_ && GetScrollPos(window_, SB_HORZ) != 0;
}

void TreeViewBinding::endOwnMove() {
    if (ownMoves_ > 0) --ownMoves_;
    if (ownMoves_ == 0) undoOwnSidewaysScroll();
}

void TreeViewBinding::undoOwnSidewaysScroll() {
    if (!window_ || sidewaysByUser_ || GetScrollPos(window_, SB_HORZ) == 0) return;
    // Wine's tree view knows no SB_LEFT; a thumb position of 0 is the same place.
    SendMessageW(window_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    sidewaysByUser_ = false;
}

void TreeViewBinding::expand(NodeId node) {
    HTREEITEM item = ensureItem(node);
    if (!item || node == kTopLevel) return;
    openChildren(node);
    TreeView_Expand(window_, item, TVE_EXPAND);
}

void TreeViewBinding::collapseAndForget(NodeId node) {
    HTREEITEM item = itemOf(node);
    if (!window_ || !item || node == kTopLevel) return;
    // Some children may have been made ahead of the batches, past the first without an item.
    const BookmarkTree& tree = document_.tree;
    for (NodeId child = tree.firstChild(node); child != kNoNode; child = tree.nextSibling(child))
        if (itemOf(child)) forgetSubtree(child);
    TreeView_Expand(window_, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
    shown(node).childrenMade = false;
    shown(node).nextChild = kNoNode;
    shown(node).madeAhead = false;
    TreeView_SetItemState(window_, item, 0, TVIS_EXPANDEDONCE);
    showHasChildren(node);
}

void TreeViewBinding::itemExpanding(const NMTREEVIEWW& notification) {
    if ((notification.action & (TVE_EXPAND | TVE_COLLAPSE)) != TVE_EXPAND) return;
    NodeId node = nodeOf(notification.itemNew.hItem);
    if (node != kNoNode) openChildren(node);
}

TreeViewBinding::ShownNode& TreeViewBinding::shown(NodeId node) {
    if (node >= shown_.size()) shown_.resize(node + 1);
    return shown_[node];
}

// The made items keep the model's order, though a run of them may be made ahead of the
// batches: an item goes after the nearest earlier sibling that has one.
HTREEITEM TreeViewBinding::itemBefore(NodeId node) const {
    const BookmarkTree& tree = document_.tree;
    for (NodeId before = tree.previousSibling(node); before != kNoNode; before = tree.previousSibling(before))
        if (HTREEITEM item = itemOf(before)) return item;
    return TVI_FIRST;
}

HTREEITEM TreeViewBinding::makeItem(NodeId node) {
    const TreeNode& n = document_.tree.node(node);
    HTREEITEM parentItem = itemOf(n.parent);
    if (!window_ || !parentItem) return nullptr;
    std::wstring text = widenText(n.text, document_.file.encoding);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parentItem;
    // Wine looks a given item up among all of them, so TVI_LAST is kept for the plain case.
    insert.hInsertAfter = TVI_LAST;
    bool laterMade = n.nextSibling != kNoNode && (itemOf(n.nextSibling) || shown(n.parent).madeAhead);
    if (laterMade) insert.hInsertAfter = itemBefore(node);
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_CHILDREN;
    insert.item.pszText = text.data();
    insert.item.lParam = static_cast<LPARAM>(n.itemNumber);
    insert.item.iImage = n.image;
    insert.item.iSelectedImage = n.selectedImage;
    insert.item.stateMask = TVIS_BOLD;
    insert.item.state = n.bold ? TVIS_BOLD : 0;
    // The "+" button shows before the children have items of their own.
    insert.item.cChildren = n.firstChild != kNoNode ? 1 : 0;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(window_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return nullptr;
    shown(node) = ShownNode{item, false, kNoNode};
    nodes_[item] = node;
    return item;
}

// Makes the node's item, and on the way the items of its ancestors. A node far down a long
// folder is made ahead of the batches, with a screenful of the siblings before it, so the
// window need not make every item up to it at once; the batches fill the gap later.
HTREEITEM TreeViewBinding::ensureItem(NodeId node) {
    if (!window_ || node == kNoNode || !document_.tree.isAlive(node)) return nullptr;
    std::vector<NodeId> path;
    for (NodeId n = node; n != kTopLevel && !itemOf(n); n = document_.tree.parent(n)) path.push_back(n);
    if (path.empty()) return itemOf(node);
    RedrawPause pause(window_);
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        NodeId parent = document_.tree.parent(*it);
        openChildren(parent);
        if (itemOf(*it)) continue;
        if (isNearNextChild(parent, *it)) makeChildren(parent, kMakeInOrder, *it);
        else makeAheadThrough(*it);
        if (!itemOf(*it)) return nullptr;
    }
    return itemOf(node);
}

void TreeViewBinding::makeAheadThrough(NodeId node) {
    const BookmarkTree& tree = document_.tree;
    NodeId first = node;
    for (std::size_t i = 1; i < kScreenful; ++i) {
        NodeId before = tree.previousSibling(first);
        if (before == kNoNode || itemOf(before)) break;
        first = before;
    }
    shown(tree.parent(node)).madeAhead = true;
    for (NodeId n = first;; n = tree.nextSibling(n)) {
        makeItem(n);
        if (n == node) break;
    }
}

bool TreeViewBinding::isNearNextChild(NodeId parent, NodeId node) {
    NodeId child = shown(parent).nextChild;
    for (std::size_t i = 0; i < kMakeInOrder && child != kNoNode; ++i, child = document_.tree.nextSibling(child))
        if (child == node) return true;
    return false;
}

// The End key goes to the last item the control has: while a folder is still being filled,
// its last node is made first, so the key reaches the true end.
void TreeViewBinding::makeLastNode() {
    if (!window_ || waiting_.empty()) return;
    const BookmarkTree& tree = document_.tree;
    NodeId last = kTopLevel;
    for (NodeId child = tree.lastChild(kTopLevel); child != kNoNode;
         child = isOpen(last) ? tree.lastChild(last) : kNoNode)
        last = child;
    if (last != kTopLevel) ensureItem(last);
}

bool TreeViewBinding::isOpen(NodeId node) const {
    HTREEITEM item = itemOf(node);
    return item && (TreeView_GetItemState(window_, item, TVIS_EXPANDED) & TVIS_EXPANDED);
}

void TreeViewBinding::openChildren(NodeId node) {
    if (node != kTopLevel && !itemOf(node)) return;
    if (shown(node).childrenMade) return;
    shown(node).childrenMade = true;
    shown(node).nextChild = document_.tree.firstChild(node);
    makeChildren(node, kScreenful);
    if (shown(node).nextChild != kNoNode) waitFor(node);
}

void TreeViewBinding::makeChildren(NodeId node, std::size_t count, NodeId through) {
    for (; count > 0; --count) {
        NodeId child = shown(node).nextChild;
        if (child == kNoNode) return;
        shown(node).nextChild = document_.tree.nextSibling(child);
        if (!itemOf(child)) makeItem(child);
        if (child == through) return;
    }
}

void TreeViewBinding::waitFor(NodeId node) {
    if (std::find(waiting_.begin(), waiting_.end(), node) == waiting_.end()) waiting_.push_back(node);
    armTimer();
}

void TreeViewBinding::armTimer() {
    if (timerSet_ || !window_) return;
    // A timer's message comes only when no other message waits: input and painting go first.
    timerSet_ = SetTimer(window_, kBatchTimer, 0, timerProc) != 0;
}

void CALLBACK TreeViewBinding::timerProc(HWND window, UINT, UINT_PTR id, DWORD) {
    auto* binding = static_cast<TreeViewBinding*>(GetPropW(window, kBindingProperty));
    if (binding) binding->onTimer();
    else KillTimer(window, id);
}

void TreeViewBinding::onTimer() {
    madeSinceIdle_ = 0;
    DWORD start = GetTickCount();
    RedrawPause pause(window_);
    while (!waiting_.empty() && GetTickCount() - start < kBatchMilliseconds) {
        NodeId node = waiting_.front();
        if (node >= shown_.size() || !shown_[node].childrenMade || shown_[node].nextChild == kNoNode) {
            waiting_.erase(waiting_.begin());
            continue;
        }
        makeChildren(node, kBatchStep);
    }
    if (waiting_.empty()) {
        KillTimer(window_, kBatchTimer);
        timerSet_ = false;
    }
}

void TreeViewBinding::finishBatches() {
    if (!window_ || waiting_.empty()) return;
    RedrawPause pause(window_);
    while (!waiting_.empty()) {
        NodeId node = waiting_.back();
        waiting_.pop_back();
        if (node < shown_.size() && shown_[node].childrenMade) makeChildren(node, static_cast<std::size_t>(-1));
    }
}

void TreeViewBinding::showHasChildren(NodeId node) {
    HTREEITEM item = itemOf(node);
    if (!window_ || !item || node == kTopLevel) return;
    TVITEMW update{};
    update.hItem = item;
    update.mask = TVIF_CHILDREN;
    update.cChildren = document_.tree.hasChildren(node) ? 1 : 0;
    SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
}

void TreeViewBinding::nodeInserted(NodeId node) {
    shown(node);
    if (!window_) return;
    NodeId parent = document_.tree.parent(node);
    if (!itemOf(parent)) return;
    if (!shown(parent).childrenMade) {
        if (document_.tree.firstChild(parent) == node) showHasChildren(parent);
        return;
    }
    if (shown(parent).nextChild != kNoNode) return;  // a batch will reach it
    if (madeSinceIdle_ >= kScreenful) {
        shown(parent).nextChild = node;
        waitFor(parent);
        return;
    }
    ++madeSinceIdle_;
    armTimer();
    makeItem(node);
}

// A subtree back from outside the tree: its item is made when its place among the made
// children is reached, collapsed, and its own children wait until it is opened.
void TreeViewBinding::subtreeAttached(NodeId node) {
    document_.tree.walkSubtree(node, [this](NodeId n) { shown(n) = ShownNode{}; });
    if (!window_) return;
    const BookmarkTree& tree = document_.tree;
    NodeId parent = tree.parent(node);
    if (!itemOf(parent)) return;
    if (!shown(parent).childrenMade) {
        showHasChildren(parent);
        return;
    }
    NodeId previous = tree.previousSibling(node);
    if (previous != kNoNode && !itemOf(previous)) return;  // a batch will reach it
    if (shown(parent).nextChild == node) shown(parent).nextChild = tree.nextSibling(node);
    makeItem(node);
    showHasChildren(parent);
}

void TreeViewBinding::forgetSubtree(NodeId node) {
    document_.tree.walkSubtree(node, [this](NodeId n) {
        if (n >= shown_.size()) return;
        if (shown_[n].item) nodes_.erase(shown_[n].item);
        shown_[n] = ShownNode{};
    });
}

void TreeViewBinding::subtreeRemoving(NodeId node) {
    if (!window_) return;
    const BookmarkTree& tree = document_.tree;
    NodeId parent = tree.parent(node);
    if (parent < shown_.size() && shown_[parent].nextChild == node) shown_[parent].nextChild = tree.nextSibling(node);
    bool onlyChild = tree.firstChild(parent) == node && tree.nextSibling(node) == kNoNode;
    HTREEITEM item = itemOf(node);
    forgetSubtree(node);
    if (item) TreeView_DeleteItem(window_, item);
    HTREEITEM parentItem = itemOf(parent);
    if (onlyChild && parentItem && parent != kTopLevel) {
        TVITEMW update{};
        update.hItem = parentItem;
        update.mask = TVIF_CHILDREN;
        update.cChildren = 0;
        SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
    }
}

void TreeViewBinding::nodeChanged(NodeId node) {
    HTREEITEM item = itemOf(node);
    if (!window_ || !item || node == kTopLevel) return;
    const TreeNode& n = document_.tree.node(node);
    std::wstring text = widenText(n.text, document_.file.encoding);
    TVITEMW update{};
    update.hItem = item;
    update.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_CHILDREN;
    update.pszText = text.data();
    update.lParam = static_cast<LPARAM>(n.itemNumber);
    update.iImage = n.image;
    update.iSelectedImage = n.selectedImage;
    update.stateMask = TVIS_BOLD;
    update.state = n.bold ? TVIS_BOLD : 0;
    update.cChildren = n.firstChild != kNoNode ? 1 : 0;
    SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
}

void TreeViewBinding::treeCleared() {
    nodes_.clear();
    waiting_.clear();
    madeSinceIdle_ = 0;
    shown_.assign(1, ShownNode{TVI_ROOT, true, kNoNode});
    if (!window_) return;
    if (timerSet_) KillTimer(window_, kBatchTimer);
    timerSet_ = false;
    TreeView_DeleteAllItems(window_);
}

}  // namespace perchlet
