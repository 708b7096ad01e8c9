// The data file readers: load, write the loaded document, load the written text again;
// and import the same text under an item.
#include "fuzz_support.h"
#include "store/data_file.h"

using namespace perchlet;
using namespace perchlet::fuzz;

namespace {

std::size_t occurrences(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most inputs would be rejected at the signature: give them one so the blocks get read.
    std::string text(textOf(data, size));
    if (!hasDataFileSignature(text)) text.insert(0, kDataFileHeader);
    FixedIcons icons;

    Document first;
    DataFileReadResult loaded = loadDataFile(text, first, icons);
    check(!loaded.rejected && loaded.inserted == first.tree.liveCount());

    std::string written = writeDataFile(first, kTopLevel, 0);
    Document second;
    DataFileReadResult reloaded = loadDataFile(written, second, icons);
    // The format has no escape for its record marker: a value holding "[List]" cannot
    // come back whole, so only texts without one in a value must survive unchanged.
    if (occurrences(written, "[List]") == loaded.inserted) {
        check(reloaded.inserted == loaded.inserted);
        check(titlesInOrder(second) == titlesInOrder(first));
    }

    RootedDocument target;
    DataFileReadResult imported = importDataFile(text, target.doc, target.root, icons);
    check(imported.inserted + 1 == target.doc.tree.liveCount());
    return 0;
}
