#include "exchange/chromium_bookmarks.h"

#include <iterator>
#include <vector>

#include <nlohmann/json.hpp>

namespace perchlet {

namespace {

using Json = nlohmann::json;

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

struct ChromiumRoot {
    const char* key;
    const char* title;
};

// In the order the browser shows them.
constexpr ChromiumRoot kRoots[] = {
    {"bookmark_bar", "ブックマーク バー"},
    {"other", "その他のブックマーク"},
    {"synced", "モバイルのブックマーク"},
};

std::string_view stringField(const Json& object, const char* key) {
    if (!object.is_object()) return {};
    auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return {};
    return found->get_ref<const std::string&>();
}

// Times are decimal text (numbers past 2^53 would lose digits as JSON numbers).
std::int64_t timeFromText(std::string_view text) {
    if (text.empty() || text.size() > 19) return 0;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return unixSecondsFromChromiumTime(value);
}

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// One bookmark object of the file: a root, a folder, a link, or something else.
struct JsonBookmark {
    std::string type, name, url, dateAdded, dateLastUsed, lastVisitedDesktop;
    bool hasChildren = false;  // a "children" array was there
    std::size_t firstChild = kNone;
    std::size_t lastChild = kNone;
    std::size_t nextSibling = kNone;
};

// Reads the file as it streams past, keeping only the bookmark objects: a whole document
// tree of a large file costs several times the reading itself.
class BookmarksSax {
public:
    std::vector<JsonBookmark> nodes;
    std::size_t roots[std::size(kRoots)] = {kNone, kNone, kNone};
    bool rootsSeen = false;
    std::size_t damaged = 0;  // values where a root or a bookmark object belongs

    bool null() { return value(); }
    bool boolean(bool) { return value(); }
    bool number_integer(Json::number_integer_t) { return value(); }
    bool number_unsigned(Json::number_unsigned_t) { return value(); }
    bool number_float(Json::number_float_t, const Json::string_t&) { return value(); }
    bool binary(Json::binary_t&) { return value(); }
    bool string(Json::string_t& text) {
        if (frames_.empty()) return true;
        Frame& frame = frames_.back();
        if (frame.kind == Frame::Bookmark) {
            JsonBookmark& node = nodes[frame.node];
            if (frame.key == "type") node.type = std::move(text);
            else if (frame.key == "name") node.name = std::move(text);
            else if (frame.key == "url") node.url = std::move(text);
            else if (frame.key == "date_added") node.dateAdded = std::move(text);
            else if (frame.key == "date_last_used") node.dateLastUsed = std::move(text);
        } else if (frame.kind == Frame::Meta && frame.key == "last_visited_desktop") {
            nodes[frame.node].lastVisitedDesktop = std::move(text);
        } else {
            noteIfBookmarkPlace();
        }
        return true;
    }
    bool key(Json::string_t& name) {
        frames_.back().key = std::move(name);
        return true;
    }
    bool start_object(std::size_t) {
        if (frames_.empty()) {
            push(Frame::Document);
            return true;
        }
        const Frame& parent = frames_.back();
        switch (parent.kind) {
        case Frame::Document:
            if (parent.key == "roots") {
                rootsSeen = true;
                push(Frame::Roots);
                return true;
            }
            break;
        case Frame::Roots:
            for (std::size_t i = 0; i < std::size(kRoots); ++i)
                if (parent.key == kRoots[i].key) {
                    roots[i] = newNode();
                    push(Frame::Bookmark, roots[i]);
                    return true;
                }
            break;
        case Frame::Children: {
            std::size_t node = newNode();
            appendChild(parent.node, node);
            push(Frame::Bookmark, node);
            return true;
        }
        case Frame::Bookmark:
            if (parent.key == "meta_info") {
                push(Frame::Meta, parent.node);
                return true;
            }
            break;
        default:
            break;
        }
        push(Frame::Other);
        return true;
    }
    bool end_object() { return end(); }
    bool start_array(std::size_t) {
        const Frame* parent = frames_.empty() ? nullptr : &frames_.back();
        if (parent && parent->kind == Frame::Bookmark && parent->key == "children") {
            nodes[parent->node].hasChildren = true;
            push(Frame::Children, parent->node);
        } else {
            noteIfBookmarkPlace();
            push(Frame::Other);
        }
        return true;
    }
    bool end_array() { return end(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

    bool hasBookmarks() const {
        for (std::size_t root : roots)
            if (root != kNone && nodes[root].hasChildren) return true;
        return false;
    }

private:
    struct Frame {
        enum Kind { Document, Roots, Bookmark, Children, Meta, Other } kind = Other;
        std::size_t node = kNone;
        std::string key;
    };
    std::vector<Frame> frames_;

    bool value() {
        noteIfBookmarkPlace();
        return true;
    }
    // Something other than an object where a root or a bookmark belongs: a damaged file.
    void noteIfBookmarkPlace() {
        if (frames_.empty()) return;
        const Frame& parent = frames_.back();
        if (parent.kind == Frame::Children) ++damaged;
        if (parent.kind == Frame::Roots)
            for (const ChromiumRoot& root : kRoots)
                if (parent.key == root.key) ++damaged;
    }
    void push(Frame::Kind kind, std::size_t node = kNone) {
        frames_.emplace_back();
        frames_.back().kind = kind;
        frames_.back().node = node;
    }
    bool end() {
        frames_.pop_back();
        return true;
    }
    std::size_t newNode() {
        nodes.emplace_back();
        return nodes.size() - 1;
    }
    void appendChild(std::size_t parent, std::size_t child) {
        JsonBookmark& owner = nodes[parent];
        if (owner.lastChild == kNone) owner.firstChild = child;
        else nodes[owner.lastChild].nextSibling = child;
        owner.lastChild = child;
    }
};

std::int64_t lastVisitOf(const JsonBookmark& link) {
    if (std::int64_t used = timeFromText(link.dateLastUsed); used > 0) return used;
    return timeFromText(link.lastVisitedDesktop);
}

// A root's contents in pre-order, without recursion: a damaged file may nest deeply.
void collectChildren(const std::vector<JsonBookmark>& nodes, std::size_t root, BrowserBookmarkCollector& collector) {
    std::vector<std::size_t> next{nodes[root].firstChild};  // per level, the node to visit
    while (!next.empty()) {
        std::size_t index = next.back();
        if (index == kNone) {
            next.pop_back();
            continue;
        }
        const JsonBookmark& node = nodes[index];
        next.back() = node.nextSibling;
        unsigned depth = static_cast<unsigned>(next.size());
        if (node.type == "url") {
            collector.addLink(depth, node.name, node.url, timeFromText(node.dateAdded), lastVisitOf(node));
        } else if (node.type == "folder") {
            collector.addFolder(depth, node.name, timeFromText(node.dateAdded));
            if (!node.hasChildren) collector.leaveOutDamaged();  // its contents, whatever they were
            next.push_back(node.firstChild);
        } else {
            collector.leaveOutDamaged();
        }
    }
}

// Parsed without exceptions: a damaged file is an answer, not an error.
bool parseBookmarks(std::string_view text, BookmarksSax& sax) {
    return Json::sax_parse(text.begin(), text.end(), &sax, nlohmann::detail::input_format_t::json, true, false);
}

}  // namespace

std::int64_t unixSecondsFromChromiumTime(std::int64_t microseconds) {
    if (microseconds <= 0) return 0;
    return microseconds / 1000000 - kSecondsFrom1601To1970;
}

BrowserRead readChromiumBookmarks(std::string_view json) {
    BookmarksSax sax;
    if (!parseBookmarks(json, sax)) return browserReadFailed(BrowserReadFailure::NotJson, "not JSON");
    if (!sax.hasBookmarks()) return browserReadFailed(BrowserReadFailure::NotBookmarks, "no bookmark roots in the JSON");
    BrowserBookmarkCollector collector;
    collector.leaveOutDamaged(sax.damaged);
    for (std::size_t i = 0; i < std::size(kRoots); ++i) {
        std::size_t root = sax.roots[i];
        if (root != kNone && !sax.nodes[root].hasChildren) collector.leaveOutDamaged();
        if (root == kNone || sax.nodes[root].firstChild == kNone) continue;
        collector.addRootFolder(kRoots[i].title, timeFromText(sax.nodes[root].dateAdded));
        collectChildren(sax.nodes, root, collector);
    }
    BrowserRead read;
    read.bookmarks = collector.finish();
    return read;
}

bool looksLikeChromiumBookmarks(std::string_view text) {
    std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    start = text.find_first_not_of(" \t\r\n", start);
    if (start == std::string_view::npos || text[start] != '{') return false;
    BookmarksSax sax;
    return parseBookmarks(text, sax) && sax.hasBookmarks();
}

std::map<std::string, std::string> chromiumProfileNames(std::string_view localStateJson) {
    std::map<std::string, std::string> names;
    Json state = Json::parse(localStateJson.begin(), localStateJson.end(), nullptr, false);
    if (state.is_discarded() || !state.is_object()) return names;
    auto profile = state.find("profile");
    if (profile == state.end() || !profile->is_object()) return names;
    auto cache = profile->find("info_cache");
    if (cache == profile->end() || !cache->is_object()) return names;
    for (auto entry = cache->begin(); entry != cache->end(); ++entry) {
        std::string_view name = stringField(entry.value(), "name");
        if (!name.empty()) names[entry.key()] = std::string(name);
    }
    return names;
}

}  // namespace perchlet
