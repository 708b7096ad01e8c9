#include "exchange/chromium_bookmarks.h"

#include <cstdlib>
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

// Read without exceptions: a damaged file is an answer, not an error.
Json parsed(std::string_view text) { return Json::parse(text.begin(), text.end(), nullptr, false); }

std::string_view stringField(const Json& object, const char* key) {
    if (!object.is_object()) return {};
    auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return {};
    return found->get_ref<const std::string&>();
}

// Times are decimal text (numbers past 2^53 would lose digits as JSON numbers).
std::int64_t timeField(const Json& object, const char* key) {
    std::string_view text = stringField(object, key);
    if (text.empty() || text.size() > 19) return 0;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return unixSecondsFromChromiumTime(value);
}

std::int64_t lastVisitOf(const Json& link) {
    if (std::int64_t used = timeField(link, "date_last_used"); used > 0) return used;
    auto meta = link.find("meta_info");
    return meta != link.end() ? timeField(*meta, "last_visited_desktop") : 0;
}

const Json* childrenOf(const Json& folder) {
    if (!folder.is_object()) return nullptr;
    auto children = folder.find("children");
    return children != folder.end() && children->is_array() ? &*children : nullptr;
}

// A root's contents in pre-order, without recursion: a damaged file may nest deeply.
void collectChildren(const Json& root, BrowserBookmarkCollector& collector) {
    struct Level {
        const Json* children;
        std::size_t next;
    };
    std::vector<Level> levels{{childrenOf(root), 0}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next >= level.children->size()) {
            levels.pop_back();
            continue;
        }
        const Json& node = (*level.children)[level.next++];
        unsigned depth = static_cast<unsigned>(levels.size());
        std::string_view type = stringField(node, "type");
        if (type == "url") {
            collector.addLink(depth, stringField(node, "name"), stringField(node, "url"), timeField(node, "date_added"),
                              lastVisitOf(node));
        } else if (type == "folder") {
            collector.addFolder(depth, stringField(node, "name"), timeField(node, "date_added"));
            if (const Json* children = childrenOf(node)) levels.push_back({children, 0});
        }
    }
}

const Json* rootsOf(const Json& document) {
    if (!document.is_object()) return nullptr;
    auto roots = document.find("roots");
    if (roots == document.end() || !roots->is_object()) return nullptr;
    for (const ChromiumRoot& root : kRoots) {
        auto found = roots->find(root.key);
        if (found != roots->end() && childrenOf(*found)) return &*roots;
    }
    return nullptr;
}

}  // namespace

std::int64_t unixSecondsFromChromiumTime(std::int64_t microseconds) {
    if (microseconds <= 0) return 0;
    return microseconds / 1000000 - kSecondsFrom1601To1970;
}

BrowserRead readChromiumBookmarks(std::string_view json) {
    Json document = parsed(json);
    if (document.is_discarded()) return browserReadFailed(BrowserReadFailure::NotJson, "not JSON");
    const Json* roots = rootsOf(document);
    if (!roots) return browserReadFailed(BrowserReadFailure::NotBookmarks, "no bookmark roots in the JSON");
    BrowserBookmarkCollector collector;
    for (const ChromiumRoot& key : kRoots) {
        auto root = roots->find(key.key);
        if (root == roots->end()) continue;
        const Json* children = childrenOf(*root);
        if (!children || children->empty()) continue;
        collector.addRootFolder(key.title, timeField(*root, "date_added"));
        collectChildren(*root, collector);
    }
    BrowserRead read;
    read.bookmarks = collector.finish();
    return read;
}

bool looksLikeChromiumBookmarks(std::string_view text) {
    std::size_t start = text.find_first_not_of(" \t\r\n");
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = text.find_first_not_of(" \t\r\n", 3);
    if (start == std::string_view::npos || text[start] != '{') return false;
    Json document = parsed(text);
    return !document.is_discarded() && rootsOf(document) != nullptr;
}

std::map<std::string, std::string> chromiumProfileNames(std::string_view localStateJson) {
    std::map<std::string, std::string> names;
    Json state = parsed(localStateJson);
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
