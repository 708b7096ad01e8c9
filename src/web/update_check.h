// The update check over a subtree, as far as it is independent of HTTP: which items it
// visits and asks about, and how a decision changes an item.
#pragma once
#include <string>
#include <vector>

#include "store/document.h"
#include "web/update_decision.h"

namespace perchlet {

struct UpdateCheckItem {
    NodeId node = kNoNode;
    std::string title;
    std::string locator;
    bool asked = false;  // folders, mail links, local files and links to anything but http
                         // or https are counted but not asked about
};

// "http://" or "https://" in any case: the only addresses a server can be asked about.
bool isHttpAddress(std::string_view address);

// The subtree of start in pre-order, start first; empty when start is no node.
std::vector<UpdateCheckItem> updateCheckItems(const Document& document, NodeId start);

// What a whole check found, for the line that ends it.
struct UpdateTally {
    std::size_t updated = 0;
    std::size_t failed = 0;
    std::size_t unchanged = 0;

    void count(const UpdateDecision& decision);
    // "更新 3 件、取得失敗 2 件、変化なし 45 件"
    std::string summary() const;
};

// Stores the decision in the node's record and the node: last-modified, the kind in the
// item number of both, the images. False when the decision leaves the item as it is.
bool applyUpdateDecision(Document& document, NodeId node, const UpdateDecision& decision);

}  // namespace perchlet
