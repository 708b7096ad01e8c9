// The tree view control as a view of the bookmark tree model. It holds tree items only for
// what the user has opened: the top level and the children of folders that were expanded
// (or that lie on the way to a node that was selected or revealed). Each item's lParam is
// its node's item number. The model stays the authority; nothing is read back from here.
#pragma once
#include <cstddef>
#include <unordered_map>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "store/document.h"
#include "store/tree_population.h"

namespace perchlet {

class TreeViewBinding : public TreeObserver, public ShellIconSource {
public:
    explicit TreeViewBinding(Document& document);
    ~TreeViewBinding() override;

    // Creates the control as child 90 of parent and starts following the model.
    HWND create(HWND parent, HINSTANCE instance, int top);
    HWND window() const { return window_; }
    // The binding that shows its model in this control; nullptr for any other window.
    static TreeViewBinding* of(HWND tree);
    void detach();

    // The image list: the fourteen item icons, then the shell icons of local files, in the
    // size the window's scale asks for.
    bool buildImageList(HINSTANCE instance);
    // Takes the window's scale (at creation and when it moves to a monitor of another scale):
    // the icons are made again in their new size, each at its old index, and the items get
    // the font and the height for it. The font stays the caller's.
    void followScale(int dpi, HFONT font);
    int iconSize() const { return iconSize_; }
    HIMAGELIST imageList() const { return imageList_; }
    int imageCount() const { return imageCount_; }

    NodeId nodeOf(HTREEITEM item) const;
    // The node's tree item; nullptr while the node is not shown.
    HTREEITEM itemOf(NodeId node) const;
    NodeId selectedNode() const;
    // These make the node's item first when it has none, with the items on its way.
    void select(NodeId node);
    void ensureVisible(NodeId node);
    void expand(NodeId node);
    // Closes the node and drops its children's items; opening it makes them again.
    void collapseAndForget(NodeId node);

    // The control scrolls sideways by itself to show a long title whole, which hides the
    // buttons, the icons and the start of every title. Its own sideways scroll is undone; one
    // the user made (the scroll bar, a sideways wheel) is kept until Home or a scroll back.
    void sidewaysScrolled();
    void forgetSidewaysScroll() { sidewaysByUser_ = false; }
    void undoOwnSidewaysScroll();
    // NM_CUSTOMDRAW: a title wider than the pane ends with "…" at the pane's edge.
    LRESULT customDraw(NMTVCUSTOMDRAW& draw);
    // TVN_GETINFOTIPW: the whole title of an item the pane cuts short.
    void giveInfoTip(NMTVGETINFOTIPW& tip);

    // A click on the selected item lets the control open its title for editing a moment later;
    // a key pressed meanwhile means the user has moved on, and the edit must not open then on
    // whatever item the key selected. F2 and the menu arm it too.
    void armLabelEdit(bool armed) { labelEditArmed_ = armed; }
    bool labelEditArmed() const { return labelEditArmed_; }

    // Around a message after which the control may have scrolled itself: its own scroll
    // messages meanwhile are not the user's.
    void beginOwnMove() { ++ownMoves_; }
    void endOwnMove();

    // The control is about to open or close an item (TVN_ITEMEXPANDING): an opening folder
    // gets its children's items first.
    void itemExpanding(const NMTREEVIEWW& notification);

    // A folder with very many children shows the first of them at once and gets the rest in
    // batches between messages. True while some are still to come.
    bool addingInBatches() const { return !waiting_.empty(); }
    // Adds every waiting item now.
    void finishBatches();
    // Makes the item of the last node the control would show if every item were made.
    void makeLastNode();

    // TreeObserver
    void nodeInserted(NodeId node) override;
    void subtreeRemoving(NodeId node) override;
    void nodeChanged(NodeId node) override;
    void treeCleared() override;
    void subtreeAttached(NodeId node) override;

    // ShellIconSource
    ImagePair appendIconsFor(const std::string& locator) override;

private:
    // What the view holds for a node. The children before nextChild (kNoNode: all of them)
    // have items; some after it may have been made ahead of the batches.
    struct ShownNode {
        HTREEITEM item = nullptr;
        bool childrenMade = false;
        NodeId nextChild = kNoNode;
        bool madeAhead = false;  // some children were made ahead of the batches
    };

    ShownNode& shown(NodeId node);
    HTREEITEM makeItem(NodeId node);
    HTREEITEM itemBefore(NodeId node) const;
    HTREEITEM ensureItem(NodeId node);
    void makeAheadThrough(NodeId node);
    bool isNearNextChild(NodeId parent, NodeId node);
    bool isOpen(NodeId node) const;
    void openChildren(NodeId node);
    // Makes the next waiting children of node: at most `count`, or up to `through`.
    void makeChildren(NodeId node, std::size_t count, NodeId through = kNoNode);
    void waitFor(NodeId node);
    void forgetSubtree(NodeId node);
    void showHasChildren(NodeId node);
    void armTimer();
    void onTimer();
    static void CALLBACK timerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    int appendShellIcon(const std::string& locator, UINT flags, const wchar_t* fallback);
    void addShellIcon(const std::string& locator, UINT flags, const wchar_t* fallback);
    void fitItemHeight();
    bool isCutShort(HTREEITEM item, RECT& text) const;
    void drawEllipsis(NMTVCUSTOMDRAW& draw);

    Document& document_;
    HWND window_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HIMAGELIST imageList_ = nullptr;
    int imageCount_ = 0;
    int iconSize_ = 16;
    int dpi_ = 96;
    // The shell icons appended after the fixed ones, in order, to make them again in another size.
    struct AppendedIcon {
        std::string locator;
        UINT flags;
        const wchar_t* fallback;
    };
    std::vector<AppendedIcon> appended_;
    std::vector<ShownNode> shown_;
    std::unordered_map<HTREEITEM, NodeId> nodes_;
    std::vector<NodeId> waiting_;       // nodes whose children are still being added
    std::size_t madeSinceIdle_ = 0;
    NodeId makingNode_ = kNoNode;       // the node whose item is being inserted     // items made at once since the message loop was idle
    bool timerSet_ = false;
    bool sidewaysByUser_ = false;
    int ownMoves_ = 0;
    bool labelEditArmed_ = false;
};

}  // namespace perchlet
