// Netscape bookmark files (the HTML that browsers import and export), and the pieces the
// other exchange formats share: how an imported item enters the document, how a subtree is
// walked with each item's depth, and HTML character references.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/document.h"
#include "store/encoding.h"

namespace perchlet {

// What the exports write in place of the address of a shell link or local file.
constexpr char kUrlNotFound[] = "URL not found !";

// What an import made; the tree view selects lastCreated afterwards.
struct ImportResult {
    std::size_t count = 0;
    NodeId lastCreated = kNoNode;
    // Items whose title or comment lost characters Shift-JIS cannot hold (each run now "〓"),
    // and the first of them, for the one message that tells the user.
    std::size_t markedItems = 0;
    std::string firstMarkedTitle;
};

// The kind of an imported link: a mail address ("mailto:", any case) is a mail link; every
// other address stays a web link, as the exchange formats have always read them.
unsigned kindForImportedAddress(std::string_view address);

// Counts an item whose texts lost characters; the first one is named later.
void noteMarkedItem(ImportResult& result, const LostCharacters& lost, std::string_view title);
// What the user is told about them, once per import.
std::string markedItemsNote(std::size_t items, const std::string& firstTitle);

// The file text for start's subtree, header and closing lists included; empty for no node.
// For kTopLevel, every top-level item's subtree, one after another at the top of the file.
std::string exportNetscape(const Document& document, NodeId start);
// The same for a document in either encoding: the texts go out as they are, and a UTF-8
// document's file says so in a <META> charset.
std::string exportNetscapeAs(const Document& document, NodeId start, TextEncoding encoding);

// Reads Netscape bookmark text (in the document's encoding, `into`) and puts its folders and
// links under target. Tag and attribute names are matched in any case; a tag's name ends at
// a blank or at its end. Marks the document modified.
ImportResult importNetscape(std::string_view text, Document& document, NodeId target,
                            TextEncoding into = TextEncoding::ShiftJis);

// & < > " as character references: for text between tags, and for attribute values in
// double quotes, so that the import reads back the same value.
std::string escapeHtml(std::string_view text);
// Turns well-formed references (ending in ";") into their characters: &amp; &lt; &gt;
// &quot; &apos;, &#NNN; and &#xHH;. A character without a Shift-JIS form is dropped, marked
// or (for an address) percent-encoded, as the policy says; lost counts its runs. Anything
// else that starts with "&" stays as it is.
std::string decodeCharacterReferences(std::string_view text,
                                      Unrepresentable unrepresentable = Unrepresentable::Drop,
                                      LostCharacters* lost = nullptr);
// The same for text in either encoding: in UTF-8 every reference keeps its character.
std::string decodeCharacterReferences(std::string_view text, TextEncoding encoding, Unrepresentable unrepresentable,
                                      LostCharacters* lost = nullptr);
// The same into out, which is emptied first: a reader that decodes one value after another
// reuses one text's memory.
void decodeCharacterReferences(std::string_view text, TextEncoding encoding, Unrepresentable unrepresentable,
                               LostCharacters* lost, std::string& out);

// --- shared by the exchange formats ---

// The record a tree item shows; an empty record if none carries its number.
const BookmarkItem& recordOfNode(const Document& document, NodeId node);

// Where an export starts: the node itself, or for kTopLevel every top-level item in order;
// nothing for a node that is not alive.
std::vector<NodeId> exportStarts(const BookmarkTree& tree, NodeId start);

// Top-level items that a depth limit cut off the tree they belonged to: a file deeper than
// item numbers can count (kMaxDepth levels) comes back with depth 0 on the level after the
// last, and such items start top-level trees of their own. A whole-tree export says so.
std::size_t treesCutAtDepthLimit(const BookmarkTree& tree);

// Depth in the tree: a top-level item is 1, its children 2, and so on.
unsigned depthInTree(const BookmarkTree& tree, NodeId node);

// Pre-order walk of start's subtree, handing each node with its depth in the tree.
// A node's children are visited only when enter(node) says so.
template <typename Enter, typename Visit>
void walkWithDepth(const BookmarkTree& tree, NodeId start, Enter enter, Visit visit) {
    NodeId node = start;
    unsigned depth = depthInTree(tree, start);
    for (;;) {
        visit(node, depth);
        if (tree.firstChild(node) != kNoNode && enter(node)) {
            node = tree.firstChild(node);
            ++depth;
            continue;
        }
        while (node != start && tree.nextSibling(node) == kNoNode) {
            node = tree.parent(node);
            --depth;
        }
        if (node == start) return;
        node = tree.nextSibling(node);
    }
}

struct AddedItem {
    NodeId node;
    BookmarkItem& record;  // as stored in the item list
};

// Gives record a new number of this kind under parent, appends it to the item list and
// inserts its tree item (with the kind's fixed images) as parent's last child.
AddedItem addImportedItem(Document& document, NodeId parent, unsigned kind, BookmarkItem record);

// Whether items can still be made under parent without overflowing the depth field.
bool canHoldChildren(const Document& document, NodeId parent);

}  // namespace perchlet
