// The UTF-8 data file reader: every text it stores is well-formed UTF-8 within its bound, a
// saved document loads back to the same titles, and into Shift-JIS it reads without a crash.
#include "fuzz_support.h"
#include "store/data_file.h"
#include "store/encoding.h"

using namespace perchlet;
using namespace perchlet::fuzz;

namespace {

std::size_t occurrences(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// Every record's texts are whole UTF-8 characters, and no longer than a UTF-8 document keeps.
bool storedTextsAreSound(const Document& document) {
    bool sound = true;
    for (NodeId top = document.tree.firstTopLevel(); top != kNoNode; top = document.tree.nextSibling(top))
        document.tree.walkSubtree(top, [&](NodeId node) {
            const BookmarkItem* record = nodeRecord(document, node);
            if (!record) return;
            for (const CompactText* text : {&record->title, &record->locator, &record->comment, &record->addDate})
                sound = sound && isWellFormedUtf8(*text) && text->size() <= kUtf8TextFieldMax;
        });
    return sound;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most inputs would be rejected at the signature: give them the UTF-8 header so the
    // blocks get read.
    std::string text(textOf(data, size));
    if (dataFileEncoding(text) != TextEncoding::Utf8) {
        RootedDocument header;
        std::string headed = writeDataFile(header.doc, header.root, 0, TextEncoding::Utf8);
        text.insert(0, headed.substr(0, headed.find("[List]")));
    }
    FixedIcons icons;

    Document first;
    DataFileReadResult loaded = loadDataFile(text, first, icons, TextEncoding::Utf8);
    check(!loaded.rejected && loaded.encoding == TextEncoding::Utf8 && loaded.inserted == first.tree.liveCount());
    check(storedTextsAreSound(first));

    std::string written = writeDataFile(first, kTopLevel, 0, TextEncoding::Utf8);
    Document second;
    DataFileReadResult reloaded = loadDataFile(written, second, icons, TextEncoding::Utf8);
    // The format has no escape for its record marker: only texts without one in a value
    // must come back whole.
    if (occurrences(written, "[List]") == loaded.inserted) {
        check(reloaded.inserted == loaded.inserted);
        check(titlesInOrder(second) == titlesInOrder(first));
    }

    RootedDocument target;
    DataFileReadResult imported = importDataFile(text, target.doc, target.root, icons, TextEncoding::ShiftJis);
    check(imported.inserted + 1 == target.doc.tree.liveCount());
    return 0;
}
