// Bookmarks read from a browser's own files, as folders and links in tree order, and how
// they enter the document. The readers of each browser's file fill this; nothing here knows
// which browser wrote it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/netscape.h"

namespace perchlet {

struct BrowserBookmark {
    bool folder = false;
    unsigned depth = 0;     // 0 for a root folder ("ブックマーク バー" and the like)
    // Held as the record holds them, so that they move into it.
    CompactText title;      // the document's text, one line, cut to the field
    CompactText address;    // the document's text (Shift-JIS: percent-encoded where it has no character); links only
    CompactText addDate;    // date text; empty when the browser kept none
    CompactText lastVisit;  // date text; empty when the browser kept none
};

struct BrowserBookmarks {
    std::vector<BrowserBookmark> items;  // pre-order: a folder, then what it holds
    std::size_t links = 0;
    std::size_t separatorsLeftOut = 0;
    std::size_t queriesLeftOut = 0;       // "place:" addresses, which name searches, not pages
    std::size_t addressesCut = 0;         // longer than a record holds
    std::size_t damagedLeftOut = 0;       // roots, folders' contents or entries of a damaged file
    // Items whose title lost characters Shift-JIS cannot hold (each run now "〓"), and the
    // first of them, for the one message that tells the user.
    std::size_t markedItems = 0;
    std::string firstMarkedTitle;
};

// Why a browser's file gave no bookmarks.
enum class BrowserReadFailure {
    Unreadable,    // missing, locked, or the copy could not be made
    NotJson,       // a Bookmarks file that is no JSON
    NotSqlite,     // a places.sqlite that is no SQLite database
    NotBookmarks,  // well-formed, but without the roots or tables bookmarks live in
    TooLarge,      // a places.sqlite (with its -wal) beyond kPlacesSizeLimit
};

struct BrowserRead {
    std::optional<BrowserBookmarks> bookmarks;
    BrowserReadFailure failure = BrowserReadFailure::Unreadable;
    std::string detail;  // for the tool's message; English, may be empty
};

BrowserRead browserReadFailed(BrowserReadFailure failure, std::string detail = {});

// Collects a reader's items: titles and addresses arrive as UTF-8, dates as Unix seconds
// (0 or less: none), and come out as the document's texts in its encoding. Into Shift-JIS
// as the Netscape import makes them: each run of characters Shift-JIS cannot hold is "〓"
// in a title and percent-encoded in an address; into UTF-8 every character stays.
class BrowserBookmarkCollector {
public:
    explicit BrowserBookmarkCollector(TextEncoding into = TextEncoding::ShiftJis) : into_(into) {}
    void addFolder(unsigned depth, std::string_view utf8Title, std::int64_t added);
    // Leaves out "place:" queries and counts them.
    void addLink(unsigned depth, std::string_view utf8Title, std::string_view utf8Address, std::int64_t added,
                 std::int64_t lastVisit);
    // The program's own name for a root, a Shift-JIS literal.
    void addRootFolder(std::string_view sjisTitle, std::int64_t added);
    void leaveOutSeparator() { ++bookmarks_.separatorsLeftOut; }
    void leaveOutDamaged(std::size_t count = 1) { bookmarks_.damagedLeftOut += count; }
    BrowserBookmarks finish() { return std::move(bookmarks_); }

private:
    void readTitle(CompactText& title, std::string_view utf8);

    TextEncoding into_;
    BrowserBookmarks bookmarks_;
};

// The date text of Unix seconds; empty for 0 or less.
std::string browserDateText(std::int64_t unixSeconds);

// Puts the items under parent in order: root folders become parent's children. Items too
// deep for an item number stay on the deepest level there is. Marks the document modified.
// The texts move into the records.
ImportResult addBrowserBookmarks(BrowserBookmarks bookmarks, Document& document, NodeId parent);

// The import of one browser profile: a new folder named folderTitle as target's last child,
// holding the profile's roots. result.lastCreated is that folder. The bookmarks and the
// title are in the document's encoding.
ImportResult importBrowserProfile(BrowserBookmarks bookmarks, std::string_view folderTitle, Document& document,
                                  NodeId target);

}  // namespace perchlet
