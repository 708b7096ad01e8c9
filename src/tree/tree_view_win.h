// The tree view control as a view of the bookmark tree model: one tree item per node,
// its lParam the item number.
#pragma once
#include <unordered_map>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "store/document.h"
#include "tree/tree_population.h"

namespace perchlet {

class TreeViewBinding : public TreeObserver, public ShellIconSource {
public:
    explicit TreeViewBinding(Document& document);
    ~TreeViewBinding() override;

    // Creates the control as child 90 of parent and starts following the model.
    HWND create(HWND parent, HINSTANCE instance, int top);
    HWND window() const { return window_; }
    void detach();

    // The image list: the fourteen item icons, then the shell icons of local files.
    bool buildImageList(HINSTANCE instance);
    HIMAGELIST imageList() const { return imageList_; }
    int imageCount() const { return imageCount_; }

    NodeId nodeOf(HTREEITEM item) const;
    HTREEITEM itemOf(NodeId node) const;
    NodeId selectedNode() const;
    void select(NodeId node);
    void ensureVisible(NodeId node);
    void expand(NodeId node);

    // TreeObserver
    void nodeInserted(NodeId node) override;
    void subtreeRemoving(NodeId node) override;
    void nodeChanged(NodeId node) override;
    void treeCleared() override;

    // ShellIconSource
    ImagePair appendIconsFor(const std::string& locator) override;

private:
    void forget(NodeId node);
    int appendShellIcon(const std::string& locator, UINT flags, const wchar_t* fallback);

    Document& document_;
    HWND window_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HIMAGELIST imageList_ = nullptr;
    int imageCount_ = 0;
    std::vector<HTREEITEM> items_;
    std::unordered_map<HTREEITEM, NodeId> nodes_;
};

}  // namespace perchlet
