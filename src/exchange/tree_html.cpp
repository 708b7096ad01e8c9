#include "exchange/tree_html.h"

#include <algorithm>
#include <vector>

#include "exchange/netscape.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr std::string_view kPageHead =
    "<HTML>\r\n<HEAD>\r\n<TITLE>Perchlet</TITLE>\r\n"
    "<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\n"
    "function Display(id){\r\n"
    "\tif(document.all.item(id).style.display == \"block\"){\r\n"
    "\t\tdocument.all.item(id).style.display = \"none\";\r\n"
    "\t}else if(document.all.item(id).style.display == \"none\"){\r\n"
    "\t\tdocument.all.item(id).style.display = \"block\";\r\n"
    "\t}\r\n"
    "}\r\n//-->\r\n"
    "</SCRIPT>\r\n"
    "</HEAD>\r\n"
    "<BODY STYLE=\"margin :0.5em 1em 0.5em 1em; color :#999999; font:normal normal normal "
    "100%/1.2 \"Osaka\",\"ＭＳ Ｐゴシック\",sans-serif;\">\r\n"
    "<H2>Perchlet</H2>\r\n";

constexpr std::string_view kPageTail = "\r\n</BODY>\r\n</HTML>";
constexpr std::string_view kCloseDivision = "</DIV>\r\n";

constexpr std::string_view kBranch = "├　";
constexpr std::string_view kLastBranch = "└　";
constexpr std::string_view kContinuation = "│　";
constexpr std::string_view kBlank = "　　";

// The page's own texts in the document's encoding; a UTF-8 page names its charset.
struct PagePieces {
    explicit PagePieces(TextEncoding encoding)
        : head(convertText(kPageHead, TextEncoding::ShiftJis, encoding)),
          branch(convertText(kBranch, TextEncoding::ShiftJis, encoding)),
          lastBranch(convertText(kLastBranch, TextEncoding::ShiftJis, encoding)),
          continuation(convertText(kContinuation, TextEncoding::ShiftJis, encoding)),
          blank(convertText(kBlank, TextEncoding::ShiftJis, encoding)),
          toggle(convertText("＋", TextEncoding::ShiftJis, encoding)) {
        if (encoding == TextEncoding::Utf8)
            head.insert(head.find("<TITLE>"),
                        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n");
    }
    std::string head, branch, lastBranch, continuation, blank, toggle;
};

// The drawing stops indenting past this many levels: a tree thousands of levels deep would
// otherwise put kilobytes of line pieces on every line.
constexpr std::size_t kMaxDrawnLevels = 64;

bool hasLink(unsigned kind, const BookmarkItem& record) {
    bool linkKind = kind == kKindWebLink || kind == kKindChangedLink || kind == kKindFailedLink || kind == 4;
    return linkKind && !record.locator.empty();
}

void appendDates(std::string& out, const BookmarkItem& record) {
    out += "ADD_DATE=\"";
    out += escapeHtml(record.addDate);
    out += "\" LAST_MODIFIED=\"";
    out += escapeHtml(record.lastModified);
    out += "\" LAST_VISIT=\"";
    out += escapeHtml(record.lastVisit);
    out += '"';
}

// The toggle and opening anchor of an item with children come before the common part.
void appendToggle(std::string& out, const std::string& id, const PagePieces& pieces) {
    out += "<A HREF=\"JavaScript:onClick=Display('display";
    out += id;
    out += "');\" STYLE=\"color :#000000;\">";
    out += pieces.toggle;
    out += "</A>";
}

void appendAnchor(std::string& out, const BookmarkItem& record, bool withLink) {
    out += "<A ";
    if (withLink) {
        out += "HREF=\"";
        out += escapeHtml(record.locator);
        out += "\" ";
    }
    appendDates(out, record);
    if (!withLink) out += " STYLE=\"color :#000000;\"";
    out += '>';
    out += escapeHtml(record.title);
    out += "</A><BR>\r\n";
}

void appendDivisionStart(std::string& out, const std::string& id) {
    out += "<DIV ID=\"display";
    out += id;
    out += "\" STYLE=\"display:block\">\r\n";
}

struct PageState {
    explicit PageState(TextEncoding encoding) : pieces(encoding) {}
    PagePieces pieces;
    unsigned previousDepth = 0;
    int openDivisions = 0;
    unsigned lastId = 0;
    std::vector<std::string_view> indentation;
};

// Leaving deeper items: one division closes for every level climbed.
void appendClosings(std::string& out, PageState& state, unsigned depth) {
    for (unsigned level = depth; level < state.previousDepth; ++level) {
        out += kCloseDivision;
        --state.openDivisions;
        if (state.indentation.empty()) break;
        state.indentation.pop_back();
    }
}

void appendItem(std::string& out, PageState& state, const Document& document, NodeId node, unsigned depth) {
    const BookmarkTree& tree = document.tree;
    const BookmarkItem& record = recordOfNode(document, node);
    const bool hasChildren = tree.firstChild(node) != kNoNode;
    const bool hasNext = tree.nextSibling(node) != kNoNode;
    std::string id;
    if (hasChildren) {
        ++state.openDivisions;
        id = std::to_string(++state.lastId);
    }
    appendClosings(out, state, depth);
    std::size_t drawn = std::min(state.indentation.size(), kMaxDrawnLevels);
    for (std::size_t level = 0; level < drawn; ++level) out += state.indentation[level];
    out += hasNext ? state.pieces.branch : state.pieces.lastBranch;
    if (hasChildren) appendToggle(out, id, state.pieces);
    appendAnchor(out, record, hasLink(kindOf(tree.node(node).itemNumber), record));
    if (hasChildren) {
        appendDivisionStart(out, id);
        state.indentation.push_back(hasNext ? state.pieces.continuation : state.pieces.blank);
    }
    state.previousDepth = depth;
}

}  // namespace

std::string exportTreeHtml(const Document& document, NodeId start) {
    return exportTreeHtmlAs(document, start, TextEncoding::ShiftJis);
}

std::string exportTreeHtmlAs(const Document& document, NodeId start, TextEncoding encoding) {
    const BookmarkTree& tree = document.tree;
    std::vector<NodeId> starts = exportStarts(tree, start);
    if (starts.empty()) return {};
    PageState state(encoding);
    std::string out(state.pieces.head);
    state.previousDepth = depthInTree(tree, starts.front()) - 1;
    for (NodeId each : starts)
        walkWithDepth(tree, each, [](NodeId) { return true; },
                      [&](NodeId node, unsigned depth) { appendItem(out, state, document, node, depth); });
    for (int i = 0; i < state.openDivisions; ++i) out += kCloseDivision;
    out += kPageTail;
    return out;
}

}  // namespace perchlet
