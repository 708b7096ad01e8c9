// More links of one kind at one depth than a 16-bit serial can tell apart: every item must
// still keep its own record through a save, a load and every export.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "store/data_file.h"
#include "store/tree_population.h"

using namespace perchlet;

namespace {

struct NoShellIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return {12, 13}; }
};

// A root holding one folder with `links` links, numbered as the writer numbers them, so that
// past 65,536 the serials repeat.
std::string folderOfLinks(unsigned links) {
    std::string text = kDataFileHeader;
    unsigned k = 0;
    auto add = [&](unsigned kind, unsigned depth, const std::string& title, const std::string& locator) {
        ++k;
        text += "[List]\r\nItemNum=" + std::to_string(makeItemNumber(kind, depth, k)) +
                "\r\nTestNum=0\r\nParentNum=0\r\nTitleName=" + title + "\r\nLocator=" + locator +
                "\r\nComment=\r\nLastModified=000000\r\nLastVisit=1\r\nAddDate=1\r\nRcRight=0\r\nRcLeft=0"
                "\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=0\r\n\r\n";
    };
    add(kKindFolder, 1, "VoZivoVaro", "");
    add(kKindFolder, 2, "many", "");
    for (unsigned i = 1; i <= links; ++i)
        add(kKindWebLink, 3, "link " + std::to_string(i), "http://l.example/" + std::to_string(i) + "/");
    return text;
}

// How often each link's address occurs in an output: every link must occur, each as often
// as the first (a later item written as a copy of an earlier one shows up here).
void expectEveryLinkAlike(const std::string& output, unsigned links) {
    std::vector<unsigned> seen(links + 1, 0);
    const std::string prefix = "http://l.example/";
    for (std::size_t at = output.find(prefix); at != std::string::npos; at = output.find(prefix, at + 1)) {
        unsigned number = static_cast<unsigned>(std::stoul(output.substr(at + prefix.size(), 7)));
        ASSERT_LE(number, links);
        ++seen[number];
    }
    ASSERT_GT(seen[1], 0u);
    for (unsigned i = 1; i <= links; ++i) ASSERT_EQ(seen[i], seen[1]) << "link " << i;
}

struct MemoryFavorites : FavoritesFileSystem {
    std::map<std::filesystem::path, std::string> files;
    std::optional<std::vector<FavoritesEntry>> list(const std::filesystem::path&) override { return std::nullopt; }
    std::optional<std::string> readFile(const std::filesystem::path&) override { return std::nullopt; }
    bool makeDirectory(const std::filesystem::path&) override { return true; }
    bool writeFile(const std::filesystem::path& path, const std::string& bytes) override {
        files[path] = bytes;
        return true;
    }
};

}  // namespace

TEST(BigDocument, EveryLinkKeepsItsOwnRecordThroughSaveLoadAndExports) {
    for (unsigned links : {70000u, 200000u}) {
        SCOPED_TRACE(links);
        Document document;
        NoShellIcons icons;
        ASSERT_EQ(loadDataFile(folderOfLinks(links), document, icons).inserted, links + 2);
        NodeId folder = document.tree.firstChild(document.tree.firstTopLevel());

        std::string saved = writeDataFile(document, kTopLevel, 0);
        Document again;
        ASSERT_EQ(loadDataFile(saved, again, icons).inserted, links + 2);
        EXPECT_EQ(writeDataFile(again, kTopLevel, 0), saved);
        unsigned i = 0;
        NodeId againFolder = again.tree.firstChild(again.tree.firstTopLevel());
        for (NodeId n = again.tree.firstChild(againFolder); n != kNoNode; n = again.tree.nextSibling(n)) {
            ++i;
            const BookmarkItem* record = nodeRecord(again, n);
            ASSERT_NE(record, nullptr);
            ASSERT_EQ(record->title, "link " + std::to_string(i));
            ASSERT_EQ(record->locator, "http://l.example/" + std::to_string(i) + "/");
        }
        EXPECT_EQ(i, links);

        expectEveryLinkAlike(saved, links);
        std::string netscape = exportNetscape(document, folder);
        expectEveryLinkAlike(netscape, links);
        // Imported links are as many of one kind at one depth: each keeps its own record too.
        Document imported;
        NodeId importRoot = insertRootItem(imported);
        importNetscape(netscape, imported, importRoot);
        expectEveryLinkAlike(exportNetscape(imported, importRoot), links);
        expectEveryLinkAlike(exportCsv(document, folder, "C:\\"), links);
        expectEveryLinkAlike(exportTreeHtml(document, folder), links);
        MemoryFavorites favorites;
        exportFavorites(document, folder, "out", favorites, AfterFailedWrite::CarryOn);
        std::string allShortcuts;
        for (const auto& file : favorites.files) allShortcuts += file.second;
        EXPECT_EQ(favorites.files.size(), links);
        expectEveryLinkAlike(allShortcuts, links);
    }
}
