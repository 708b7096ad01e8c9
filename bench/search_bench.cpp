// Times finding items in 100,000 links spread over 1,000 folders: folding them all into the
// index (done once, at the first search), then searches with Japanese and Latin words, each
// the best of ten runs over the whole tree.
// Run: search_bench [folder count] [links per folder]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exchange/netscape.h"
#include "search/search_index.h"
#include "store/encoding.h"
#include "store/tree_population.h"

using namespace perchlet;

namespace {

const char* const kTitleWords[] = {"ブックマーク", "ﾆｭｰｽ", "天気予報", "Example", "ＳＨＯＰ", "りんご", "Recipe", "動画"};

void fill(Document& document, int folders, int linksPerFolder) {
    NodeId root = insertRootItem(document);
    int serial = 0;
    for (int f = 0; f < folders; ++f) {
        BookmarkItem folder;
        folder.title = "フォルダ " + std::to_string(f) + (f % 10 == 0 ? " ツール" : "");
        NodeId parent = addImportedItem(document, root, kKindFolder, folder).node;
        for (int l = 0; l < linksPerFolder; ++l, ++serial) {
            BookmarkItem link;
            std::string n = std::to_string(serial);
            link.title = std::string(kTitleWords[serial % 8]) + " ページ " + n;
            link.locator = "https://www" + std::to_string(serial % 97) + ".example.com/path/" + n + "?q=" + n;
            if (serial % 5 == 0) link.comment = "説明の文 " + n + "\nsecond line";
            addImportedItem(document, parent, kKindWebLink, link);
        }
    }
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int folders = argc > 1 ? std::atoi(argv[1]) : 1000;
    int linksPerFolder = argc > 2 ? std::atoi(argv[2]) : 100;
    Document document;
    fill(document, folders, linksPerFolder);
    SearchIndex index(document);
    std::printf("items: %zu\n", document.tree.liveCount());

    auto start = std::chrono::steady_clock::now();
    index.find("x");
    std::printf("first search, folding every item: %.1f ms\n", millisecondsSince(start));

    const char* queries[] = {"ぶっくまーく", "ツール example", "ページ 99999", "www5.example.com 説明",
                             "にゅーす 天気", "nothing-matches-this", "e"};
    for (const char* query : queries) {
        double best = 1e9;
        std::size_t hits = 0;
        for (int run = 0; run < 10; ++run) {
            auto t = std::chrono::steady_clock::now();
            hits = index.find(query).size();
            best = std::min(best, millisecondsSince(t));
        }
        std::printf("%-28s %7zu hits  %6.1f ms\n", shiftJisToUtf8(query).c_str(), hits, best);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %ld MB\n", usage.ru_maxrss / 1024);
}
