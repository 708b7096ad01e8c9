#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "store/file_stamp.h"
#include "store/tree_paths.h"

using namespace perchlet;

namespace {

FileStamp stamp(bool exists, std::uint64_t size, std::uint64_t time, std::uint64_t hash = 0) {
    FileStamp s;
    s.known = true;
    s.exists = exists;
    s.size = size;
    s.lastWrite = time;
    s.hash = hash;
    return s;
}

}  // namespace

TEST(FileStamp, TheDiskIsReadOnlyWhenSizeOrTimeDiffer) {
    const std::uint64_t loaded = hashOfBytes("loaded");
    const std::uint64_t other = hashOfBytes("other!");
    struct Case {
        const char* name;
        FileStamp known;
        FileStamp now;
        std::optional<std::uint64_t> diskHash;
        DiskChange expected;
        bool hashAsked;
    };
    const Case cases[] = {
        {"same size and time", stamp(true, 6, 100, loaded), stamp(true, 6, 100), other, DiskChange::Same, false},
        {"new time, same bytes", stamp(true, 6, 100, loaded), stamp(true, 6, 200), loaded, DiskChange::Same, true},
        {"new time, other bytes", stamp(true, 6, 100, loaded), stamp(true, 6, 200), other, DiskChange::Changed, true},
        {"new size", stamp(true, 6, 100, loaded), stamp(true, 9, 100), other, DiskChange::Changed, true},
        {"unreadable now", stamp(true, 6, 100, loaded), stamp(true, 9, 200), std::nullopt, DiskChange::Same, true},
        {"gone", stamp(true, 6, 100, loaded), FileStamp{}, other, DiskChange::Missing, false},
        {"still gone", stamp(false, 6, 100, loaded), FileStamp{}, other, DiskChange::Same, false},
        {"back as it was", stamp(false, 6, 100, loaded), stamp(true, 6, 300), loaded, DiskChange::Same, true},
        {"back changed", stamp(false, 6, 100, loaded), stamp(true, 6, 100), other, DiskChange::Changed, true},
        {"never loaded", FileStamp{}, stamp(true, 6, 100), other, DiskChange::Same, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileStamp known = c.known;
        bool asked = false;
        DiskChange change = compareWithDisk(known, c.now, [&] {
            asked = true;
            return c.diskHash;
        });
        EXPECT_EQ(change, c.expected);
        EXPECT_EQ(asked, c.hashAsked);
        // What was reported once is not reported again.
        if (change != DiskChange::Changed) {
            EXPECT_EQ(compareWithDisk(known, c.now, [&] { return c.diskHash; }), DiskChange::Same);
        }
    }
}

TEST(FileStamp, AHashTakenInPiecesIsTheHashOfTheWhole) {
    EXPECT_EQ(hashOfBytes("world", hashOfBytes("hello ")), hashOfBytes("hello world"));
    EXPECT_NE(hashOfBytes("hello world"), hashOfBytes("hello worle"));
    // Long texts go eight bytes at a time: any cut, and any changed byte, on either side of one.
    std::string text;
    for (int i = 0; i < 100; ++i) text += static_cast<char>(i * 37 + 11);
    const std::uint64_t whole = hashOfBytes(text);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        std::string_view view(text);
        EXPECT_EQ(hashOfBytes(view.substr(cut), hashOfBytes(view.substr(0, cut))), whole) << cut;
        if (cut == text.size()) break;
        std::string changed = text;
        changed[cut] = static_cast<char>(changed[cut] ^ 0x80);
        EXPECT_NE(hashOfBytes(changed), whole) << cut;
    }
}

TEST(TreePaths, ANodeIsFoundAgainByTitlesAndPlaceAmongNamesakes) {
    BookmarkTree tree;
    NodeId root = tree.insertLastChild(kTopLevel, 1, "root", 2, 3);
    NodeId first = tree.insertLastChild(root, 2, "same", 2, 3);
    NodeId second = tree.insertLastChild(root, 3, "same", 2, 3);
    tree.insertLastChild(first, 4, "leaf", 0, 1);
    NodeId leaf = tree.insertLastChild(second, 5, "leaf", 0, 1);

    BookmarkTree again;
    NodeId root2 = again.insertLastChild(kTopLevel, 1, "root", 2, 3);
    again.insertLastChild(root2, 2, "same", 2, 3);
    NodeId second2 = again.insertLastChild(root2, 3, "same", 2, 3);
    NodeId leaf2 = again.insertLastChild(second2, 5, "leaf", 0, 1);

    EXPECT_EQ(nodeAtTitlePath(again, titlePathOf(tree, leaf)), leaf2);
    // Where the item is gone, the deepest node on its way.
    EXPECT_EQ(nodeAtTitlePath(again, titlePathOf(tree, tree.firstChild(first))), again.firstChild(root2));
    EXPECT_EQ(nodeAtTitlePath(again, TitlePath{{"elsewhere", 0}}), kNoNode);
    EXPECT_TRUE(titlePathOf(tree, kNoNode).empty());
}
