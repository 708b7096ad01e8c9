// CSV files: import under the root, export, import the export again.
#include "exchange/csv.h"
#include "fuzz_support.h"

using namespace perchlet;
using namespace perchlet::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RootedDocument first;
    ImportResult imported = importCsv(textOf(data, size), first.doc, first.root);
    check(imported.count + 1 == first.doc.tree.liveCount());

    std::string exported = exportCsv(first.doc, first.root, "C:\\start");
    RootedDocument second;
    ImportResult again = importCsv(exported, second.doc, second.root);
    // One row per item, the root's included; every row starts with its number.
    check(again.count == imported.count + 1);
    return 0;
}
