// The Bookmarks reader on whatever a file holds: it either refuses the text or gives items
// whose texts fit their records, whose depths step down one level at a time, and which all
// enter a document under its root.
#include "exchange/chromium_bookmarks.h"
#include "fuzz_support.h"

using namespace perchlet;
using namespace perchlet::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BrowserRead read = readChromiumBookmarks(textOf(data, size));
    if (!read.bookmarks) return 0;
    const BrowserBookmarks& bookmarks = *read.bookmarks;
    unsigned previousDepth = 0;
    std::size_t links = 0;
    for (const BrowserBookmark& item : bookmarks.items) {
        check(item.title.size() <= kTextFieldMax && item.address.size() <= kTextFieldMax);
        check(item.addDate.size() <= kDateFieldMax && item.lastVisit.size() <= kDateFieldMax);
        check(item.depth <= previousDepth + 1);
        check(item.folder || !item.title.empty() || item.address.empty());  // untitled: its address
        previousDepth = item.folder ? item.depth : (item.depth == 0 ? 0 : item.depth - 1);
        links += item.folder ? 0 : 1;
    }
    check(links == bookmarks.links);
    RootedDocument document;
    ImportResult result = importBrowserProfile(bookmarks, "fuzz", document.doc, document.root);
    check(result.count == bookmarks.items.size() + 1);
    check(titlesInOrder(document.doc).size() == result.count + 1);
    return 0;
}
