#include "exchange/chromium_bookmarks.h"

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <vector>

#include <nlohmann/json.hpp>

#include "store/encoding.h"

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

enum class JsonKind { Other, Url, Folder };

// One bookmark object of the file: a root, a folder, a link, or something else. Its kind and
// times are read as they arrive; the texts of a hundred thousand would each be an allocation.
struct JsonBookmark {
    JsonKind kind = JsonKind::Other;  // by its "type"
    std::string name, url;
    std::int64_t added = 0, lastUsed = 0, lastVisitedDesktop = 0;  // Unix seconds; 0: none
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
            if (frame.key == "type") node.kind = text == "url" ? JsonKind::Url : text == "folder" ? JsonKind::Folder : JsonKind::Other;
            else if (frame.key == "name") node.name = std::move(text);
            else if (frame.key == "url") node.url = std::move(text);
            else if (frame.key == "date_added") node.added = timeFromText(text);
            else if (frame.key == "date_last_used") node.lastUsed = timeFromText(text);
        } else if (frame.kind == Frame::Meta && frame.key == "last_visited_desktop") {
            nodes[frame.node].lastVisitedDesktop = timeFromText(text);
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
    return link.lastUsed > 0 ? link.lastUsed : link.lastVisitedDesktop;
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
        if (node.kind == JsonKind::Url) {
            collector.addLink(depth, node.name, node.url, node.added, lastVisitOf(node));
        } else if (node.kind == JsonKind::Folder) {
            collector.addFolder(depth, node.name, node.added);
            if (!node.hasChildren) collector.leaveOutDamaged();  // its contents, whatever they were
            next.push_back(node.firstChild);
        } else {
            collector.leaveOutDamaged();
        }
    }
}

// Parsed without exceptions: a damaged file is an answer, not an error.
// The value of four hex digits at pos, or -1.
long hexQuad(std::string_view text, std::size_t pos) {
    if (pos + 4 > text.size()) return -1;
    long value = 0;
    for (std::size_t i = pos; i < pos + 4; ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

constexpr std::string_view kUnicodeEscape = "\\u";

// A "\uD83D" escape without its other half is no character; the JSON parser would refuse
// the whole file for it. Each such escape becomes "\uFFFD", the replacement character, and
// the rest of the file is read as it is. Empty when there is none.
std::string withLoneSurrogatesReplaced(std::string_view json) {
    // Most files hold no "\u" escape at all, and then none needs looking at.
    if (json.find(kUnicodeEscape) == std::string_view::npos) return {};
    std::string fixed;
    bool inString = false;
    for (std::size_t pos = 0; pos < json.size(); ++pos) {
        char c = json[pos];
        if (c == '"') inString = !inString;
        if (!inString || c != '\\' || pos + 1 >= json.size()) continue;
        if (json[pos + 1] != 'u') {
            ++pos;  // the escaped character, a quote or backslash included
            continue;
        }
        long unit = hexQuad(json, pos + 2);
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        bool paired = high && json.compare(pos + 6, 2, "\\u") == 0 && hexQuad(json, pos + 8) >= 0xDC00 &&
                      hexQuad(json, pos + 8) <= 0xDFFF;
        if (paired) {
            pos += 11;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            if (fixed.empty()) fixed.assign(json);
            fixed.replace(pos + 2, 4, "FFFD");
            pos += 5;
        } else {
            pos += 5;
        }
    }
    return fixed;
}

// Strict JSON (RFC 8259, an optional byte order mark first, nothing but blanks after the
// value, or a zero byte) read straight into the bookmark events: strings without escapes are copied whole,
// where a general parser builds every string a byte at a time. It takes and refuses exactly
// what nlohmann's strict parser does: UTF-8 in strings well-formed, "\u" surrogates paired,
// numbers that overflow a double refused.
class JsonEventReader {
public:
    JsonEventReader(std::string_view text, BookmarksSax& sax) : text_(text), sax_(sax) {}

    bool read() {
        if (!text_.empty() && byteAt(0) == 0xEF) {
            if (text_.substr(0, 3) != "\xEF\xBB\xBF") return false;
            pos_ = 3;
        }
        std::vector<char> open;  // '{' or '[' for each container not yet closed
        for (;;) {
            std::size_t depth = open.size();
            if (!valueStart(open)) return false;
            // A container just opened holds the next value; anything else ends here.
            if (open.size() > depth) continue;
            if (!valueEnds(open)) return false;
            if (open.empty()) {
                // A zero byte where a token would start ends the text, as it does for the
                // parser this stands in for (a file padded with zeros after a crash reads).
                skipBlanks();
                return pos_ == text_.size() || text_[pos_] == '\0';
            }
        }
    }

private:
    unsigned char byteAt(std::size_t at) const { return static_cast<unsigned char>(text_[at]); }

    void skipBlanks() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
            ++pos_;
        }
    }

    bool take(char expected) {
        skipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != expected) return false;
        ++pos_;
        return true;
    }

    bool peekAfterBlanks(char expected) {
        skipBlanks();
        return pos_ < text_.size() && text_[pos_] == expected;
    }

    bool readKey() {
        skipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != '"' || !readString()) return false;
        return sax_.key(buffer_) && take(':');
    }

    // A value: a scalar is handed over whole; a container is opened (and closed at once
    // when empty), its first key read for an object.
    bool valueStart(std::vector<char>& open) {
        skipBlanks();
        if (pos_ >= text_.size()) return false;
        char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            if (!sax_.start_object(static_cast<std::size_t>(-1))) return false;
            if (peekAfterBlanks('}')) {
                ++pos_;
                return sax_.end_object();
            }
            open.push_back('{');
            return readKey();
        }
        if (c == '[') {
            ++pos_;
            if (!sax_.start_array(static_cast<std::size_t>(-1))) return false;
            if (peekAfterBlanks(']')) {
                ++pos_;
                return sax_.end_array();
            }
            open.push_back('[');
            return true;
        }
        if (c == '"') return readString() && sax_.string(buffer_);
        if (literal("true")) return sax_.boolean(true);
        if (literal("false")) return sax_.boolean(false);
        if (literal("null")) return sax_.null();
        return readNumber();
    }

    // After a value: closes what ends there, and stops before the next value (true), or
    // after the outermost value (open empty).
    bool valueEnds(std::vector<char>& open) {
        while (!open.empty()) {
            skipBlanks();
            if (pos_ >= text_.size()) return false;
            char c = text_[pos_++];
            bool inObject = open.back() == '{';
            if (c == ',') return !inObject || readKey();
            if (c != (inObject ? '}' : ']')) return false;
            open.pop_back();
            if (!(inObject ? sax_.end_object() : sax_.end_array())) return false;
        }
        return true;
    }

    bool literal(std::string_view word) {
        if (text_.compare(pos_, word.size(), word) != 0) return false;
        pos_ += word.size();
        return true;
    }

    std::size_t digitsFrom(std::size_t at) const {
        std::size_t end = at;
        while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
        return end - at;
    }

    bool readNumber() {
        std::size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        std::size_t whole = digitsFrom(pos_);
        if (whole == 0 || (whole > 1 && text_[pos_] == '0')) {
            // "0" followed by digits ends the number at the 0; the digits then stand where
            // no value may, which the caller refuses.
            if (whole == 0) return false;
            whole = 1;
        }
        pos_ += whole;
        bool integer = true;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            std::size_t fraction = digitsFrom(pos_ + 1);
            if (fraction == 0) return false;
            pos_ += 1 + fraction;
            integer = false;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            std::size_t at = pos_ + 1;
            if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) ++at;
            std::size_t exponent = digitsFrom(at);
            if (exponent == 0) return false;
            pos_ = at + exponent;
            integer = false;
        }
        // A number a double cannot hold is an error; integers of up to 18 digits always fit.
        if (!integer || whole > 18) {
            std::string number(text_.substr(start, pos_ - start));
            if (!std::isfinite(std::strtod(number.c_str(), nullptr))) return false;
        }
        return sax_.number_integer(0);
    }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // The four hex digits after "\u" at pos_, or -1; pos_ moves past them.
    long escapedUnit() {
        if (pos_ + 6 > text_.size() || text_[pos_] != '\\' || text_[pos_ + 1] != 'u') return -1;
        long value = 0;
        for (std::size_t i = pos_ + 2; i < pos_ + 6; ++i) {
            int digit = hexValue(text_[i]);
            if (digit < 0) return -1;
            value = value * 16 + digit;
        }
        pos_ += 6;
        return value;
    }

    bool readEscape() {
        if (pos_ + 1 >= text_.size()) return false;
        char c = text_[pos_ + 1];
        if (c != 'u') {
            static constexpr std::string_view kEscaped = "\"\\/bfnrt";
            static constexpr std::string_view kMeant = "\"\\/\b\f\n\r\t";
            std::size_t which = kEscaped.find(c);
            if (which == std::string_view::npos) return false;
            buffer_ += kMeant[which];
            pos_ += 2;
            return true;
        }
        long unit = escapedUnit();
        if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return false;
        char32_t cp = static_cast<char32_t>(unit);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            long low = escapedUnit();
            if (low < 0xDC00 || low > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + static_cast<char32_t>(low - 0xDC00);
        }
        appendUtf8(cp, buffer_);
        return true;
    }

    // The bytes of one well-formed UTF-8 character at pos_, copied; false when ill-formed.
    bool readCharacter() {
        unsigned char lead = byteAt(pos_);
        std::size_t length = utf8SequenceLength(lead);
        if (length < 2 || pos_ + length > text_.size()) return false;
        if (!isWellFormedUtf8(text_.substr(pos_, length))) return false;
        buffer_.append(text_.substr(pos_, length));
        pos_ += length;
        return true;
    }

    // The string at pos_ (its opening quote) into buffer_.
    bool readString() {
        buffer_.clear();
        ++pos_;
        for (;;) {
            std::size_t run = pos_;
            while (run < text_.size()) {
                unsigned char c = byteAt(run);
                if (c < 0x20 || c == '"' || c == '\\' || c >= 0x80) break;
                ++run;
            }
            buffer_.append(text_.substr(pos_, run - pos_));
            pos_ = run;
            if (pos_ >= text_.size()) return false;
            unsigned char c = byteAt(pos_);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) return false;
            if (!(c == '\\' ? readEscape() : readCharacter())) return false;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    BookmarksSax& sax_;
    std::string buffer_;
};

bool parseBookmarks(std::string_view text, BookmarksSax& sax) {
    std::string fixed = withLoneSurrogatesReplaced(text);
    if (!fixed.empty()) text = fixed;
    return JsonEventReader(text, sax).read();
}

}  // namespace

std::int64_t unixSecondsFromChromiumTime(std::int64_t microseconds) {
    if (microseconds <= 0) return 0;
    return microseconds / 1000000 - kSecondsFrom1601To1970;
}

BrowserRead readChromiumBookmarks(std::string_view json, TextEncoding into) {
    BookmarksSax sax;
    if (!parseBookmarks(json, sax)) return browserReadFailed(BrowserReadFailure::NotJson, "not JSON");
    if (!sax.hasBookmarks()) return browserReadFailed(BrowserReadFailure::NotBookmarks, "no bookmark roots in the JSON");
    BrowserBookmarkCollector collector(into);
    collector.leaveOutDamaged(sax.damaged);
    for (std::size_t i = 0; i < std::size(kRoots); ++i) {
        std::size_t root = sax.roots[i];
        if (root != kNone && !sax.nodes[root].hasChildren) collector.leaveOutDamaged();
        if (root == kNone || sax.nodes[root].firstChild == kNone) continue;
        collector.addRootFolder(kRoots[i].title, sax.nodes[root].added);
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
