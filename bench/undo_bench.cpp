// Times the delete of a folder of many links, its undo and its redo (best of several runs,
// each on a fresh document), and reports what the history holds for it: its own estimate,
// and how far the process's resident memory grew while the step was kept. An edit of one
// record beside it shows that a step's size follows the change, not the document.
// Run: undo_bench [link count]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "store/document_text.h"
#include "store/tree_edit.h"
#include "store/tree_population.h"

using namespace perchlet;

namespace {

struct NoShellIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return imagesForKind(kKindLocalFile); }
};

struct BigDocument {
    Document document;
    NodeId folder = kNoNode;

    explicit BigDocument(unsigned links) {
        NoShellIcons icons;
        NodeId root = insertRootItem(document);
        NewItemFields folderFields;
        folderFields.title = "たくさんのリンク";
        folder = newItemUnder(document, root, folderFields, icons);
        for (unsigned i = 1; i <= links; ++i) {
            NewItemFields link;
            link.title = "ページ " + std::to_string(i) + " の題名";
            link.locator = "http://www.example.com/pages/" + std::to_string(i) + ".html";
            newItemUnder(document, folder, link, icons);
        }
        NewItemFields other;
        other.title = "ほか";
        newItemUnder(document, root, other, icons);
        document.history.markSaved();
        document.history.markSaved();
    }
};

// A field of /proc/self/status in KiB ("VmRSS:").
long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0) return std::atol(line.c_str() + length);
    return 0;
}

double secondsOf(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    unsigned links = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 100000;
    const int runs = 5;
    double best[3] = {1e9, 1e9, 1e9};
    std::size_t historyBytes = 0;
    long residentGrowth = 0;
    std::size_t editBytes = 0;
    std::size_t subtreeBytes = 0;
    bool sameBytes = true;
    for (int run = 0; run < runs; ++run) {
        auto big = std::make_unique<BigDocument>(links);
        Document& document = big->document;
        std::string before = writeWholeDocument(document);
        long residentBefore = statusKiB("VmRSS:");
        best[0] = std::min(best[0], secondsOf([&] {
            UndoStep step(document, "削除");
            deleteSubtree(document, big->folder);
        }));
        residentGrowth = statusKiB("VmRSS:") - residentBefore;
        historyBytes = document.history.bytes();
        subtreeBytes = document.tree.subtreeBytes(big->folder);
        best[1] = std::min(best[1], secondsOf([&] { document.history.undo(document); }));
        sameBytes = sameBytes && writeWholeDocument(document) == before;
        best[2] = std::min(best[2], secondsOf([&] { document.history.redo(document); }));
        document.history.undo(document);
        {
            UndoStep step(document, "強調");
            toggleEmphasis(document, document.tree.lastChild(big->folder));
        }
        // The undone delete gave way to this step: the history holds it alone.
        editBytes = document.history.bytes();
    }
    std::printf("links in the folder:          %u\n", links);
    std::printf("delete (one step):            %.4f s\n", best[0]);
    std::printf("undo of the delete:           %.4f s\n", best[1]);
    std::printf("redo of the delete:           %.4f s\n", best[2]);
    std::printf("history after the delete:     %.1f MB, of which %.1f MB the detached subtree it keeps\n",
                historyBytes / 1048576.0, subtreeBytes / 1048576.0);
    std::printf("resident memory growth:       %ld KiB during the delete\n", residentGrowth);
    std::printf("an emphasis step instead:     %zu bytes\n", editBytes);
    std::printf("undo gives the same file:     %s\n", sameBytes ? "yes" : "NO");
    return sameBytes ? 0 : 1;
}
