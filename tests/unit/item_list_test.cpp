#include <gtest/gtest.h>

#include <map>
#include <random>

#include "store/bookmark_item.h"
#include "store/item_list.h"

using namespace perchlet;

namespace {

BookmarkItem recordWith(ItemNumber number, const char* title) {
    BookmarkItem record;
    record.itemNumber = number;
    record.title = title;
    return record;
}

}  // namespace

TEST(ItemNumber, PacksKindDepthAndSerial) {
    ItemNumber number = makeItemNumber(kKindMailLink, 3, 0xBEEF);
    EXPECT_EQ(kindOf(number), 5u);
    EXPECT_EQ(depthOf(number), 3u);
    EXPECT_EQ(serialOf(number), 0xBEEFu);
    EXPECT_EQ(kRootItemNumber, 268500993);
    // Kinds 8 and up set the sign bit; the number stays the same 32 bits.
    EXPECT_LT(makeItemNumber(9, 1, 1), 0);
    EXPECT_EQ(kindOf(makeItemNumber(9, 1, 1)), 9u);
}

TEST(ItemNumber, MovingChangesOnlyTheDepthBits) {
    ItemNumber number = makeItemNumber(kKindLocalFile, 4, 77);
    ItemNumber moved = withDepth(number, 9);
    EXPECT_EQ(kindOf(moved), kKindLocalFile);
    EXPECT_EQ(serialOf(moved), 77u);
    EXPECT_EQ(depthOf(moved), 9u);
    EXPECT_EQ(static_cast<std::uint32_t>(moved) & 0xF000FFFFu, static_cast<std::uint32_t>(number) & 0xF000FFFFu);
}

TEST(ItemNumber, NewNumbersTakeTheNextSerialAndWrapAfter65535) {
    SerialCounter counter;
    ItemNumber first = newItemNumber(kRootItemNumber, kKindFolder, counter);
    EXPECT_EQ(first, 0x10020001);  // serial 1 like the root, but one level deeper
    EXPECT_NE(first, kRootItemNumber);

    counter.value = 65535;
    ItemNumber wrapped = newItemNumber(first, kKindWebLink, counter);
    EXPECT_EQ(serialOf(wrapped), 0u);
    EXPECT_EQ(depthOf(wrapped), 3u);
    EXPECT_EQ(serialOf(newItemNumber(first, kKindWebLink, counter)), 1u);
}

TEST(ItemList, FindReturnsTheFirstRecordInListOrder) {
    ItemList list(makeRootRecord("1700000000"));
    list.append(recordWith(0x10020001, "folder"));
    list.append(recordWith(kRootItemNumber, "root read from a file"));
    ASSERT_NE(list.find(kRootItemNumber), nullptr);
    EXPECT_EQ(list.find(kRootItemNumber)->title, "Perchlet");
    EXPECT_EQ(list.find(0x10020001)->title, "folder");
    EXPECT_EQ(list.find(0x00020001), nullptr);  // differs only in kind: another item
    EXPECT_EQ(list.size(), 3u);
}

TEST(ItemList, RenumberKeepsLookupsRight) {
    ItemList list(makeRootRecord("1"));
    BookmarkItem& a = list.append(recordWith(0x00020005, "a"));
    BookmarkItem& b = list.append(recordWith(0x00020005, "b"));  // same number, later in the list
    list.renumber(a, 0x20020005);
    EXPECT_EQ(list.find(0x20020005), &a);
    EXPECT_EQ(list.find(0x00020005), &b);  // the next holder takes over
    list.renumber(b, 0x20020005);
    EXPECT_EQ(list.find(0x20020005), &a);  // a comes first in list order
    list.renumber(a, 0x00030005);
    EXPECT_EQ(list.find(0x20020005), &b);
    EXPECT_EQ(list.find(0x00020005), nullptr);
}

TEST(ItemList, ResetLeavesOnlyTheNewHead) {
    ItemList list(makeRootRecord("1"));
    for (int i = 0; i < 1000; ++i) list.append(recordWith(makeItemNumber(0, 2, i), "x"));
    BookmarkItem& head = list.head();
    EXPECT_EQ(head.title, "Perchlet");
    list.reset(makeRootRecord("2"));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.find(makeItemNumber(0, 2, 5)), nullptr);
    EXPECT_EQ(list.find(kRootItemNumber)->addDate, "2");
}

TEST(RootRecord, HasTheFixedFields) {
    BookmarkItem root = makeRootRecord("1700000000");
    EXPECT_EQ(root.itemNumber, kRootItemNumber);
    EXPECT_EQ(root.parentNumber, 0u);
    EXPECT_EQ(root.title, "Perchlet");
    EXPECT_EQ(root.lastModified, "0");
    EXPECT_TRUE(root.lastVisit.empty());
    EXPECT_EQ(root.mark, 0u);
    EXPECT_EQ(root.windowRight, 0);
}

TEST(DateText, PlaceholdersShowEmptyAndDatesShowLocalTime) {
    // Unit tests run with TZ=UTC.
    EXPECT_EQ(displayDate(""), "");
    EXPECT_EQ(displayDate("0"), "");
    EXPECT_EQ(displayDate("000000"), "");
    EXPECT_EQ(displayDate("1700000000"), "2023/11/14  22:13:20");
    EXPECT_EQ(displayDate("1000000000"), "2001/09/09   1:46:40");
    EXPECT_EQ(dateText(1700000000), "1700000000");
    EXPECT_EQ(displayDate("99999999999999999999"), "");  // no crash on absurd values
}

TEST(FitField, CutsWithoutSplittingTwoByteCharacters) {
    std::string kana;
    for (int i = 0; i < 600; ++i) kana += "\x82\xA0";  // 1200 bytes of hiragana
    std::string cut = fitText(kana);
    EXPECT_EQ(cut.size(), 1022u);
    std::string ascii(2000, 'a');
    EXPECT_EQ(fitText(ascii).size(), 1023u);
    EXPECT_EQ(fitDate(std::string(100, '1')).size(), 63u);
    EXPECT_EQ(fitText("short"), "short");
}

#include "store/document.h"

TEST(Document, NewNumbersPassOverSerialsThatRecordsHold) {
    Document document;
    // As after loading a file whose serials run past its record count.
    for (unsigned serial : {1u, 2u, 3u, 7u}) {
        BookmarkItem record;
        record.itemNumber = makeItemNumber(kKindWebLink, 2, serial);
        document.items.append(record);
    }
    document.serials.value = 0;
    EXPECT_EQ(allocateItemNumberUnder(document, kRootItemNumber, kKindWebLink), makeItemNumber(0, 2, 4));
    EXPECT_EQ(allocateItemNumberUnder(document, kRootItemNumber, kKindFolder), makeItemNumber(1, 2, 5));
    EXPECT_EQ(allocateItemNumberUnder(document, kRootItemNumber, kKindWebLink), makeItemNumber(0, 2, 6));
    EXPECT_EQ(allocateItemNumberUnder(document, kRootItemNumber, kKindWebLink), makeItemNumber(0, 2, 8));
    // The counter wraps and still passes over held serials.
    document.serials.value = 65535;
    EXPECT_EQ(allocateItemNumber(document, kKindWebLink, 2), makeItemNumber(0, 2, 0));
    EXPECT_EQ(allocateItemNumber(document, kKindWebLink, 2), makeItemNumber(0, 2, 4));
}

TEST(ItemList, CountsDistinctNumbersPerKindAndDepth) {
    ItemList list(makeRootRecord("1"));
    BookmarkItem& a = list.append(recordWith(makeItemNumber(0, 2, 1), "a"));
    list.append(recordWith(makeItemNumber(0, 2, 1), "same number"));
    list.append(recordWith(makeItemNumber(0, 2, 2), "b"));
    EXPECT_EQ(list.numbersHeldIn(0, 2), 2u);
    EXPECT_EQ(list.numbersHeldIn(1, 1), 1u);  // the root
    list.renumber(a, makeItemNumber(0, 3, 1));  // the other holder keeps (0, 2, 1) held
    EXPECT_EQ(list.numbersHeldIn(0, 2), 2u);
    EXPECT_EQ(list.numbersHeldIn(0, 3), 1u);
    list.reset(makeRootRecord("2"));
    EXPECT_EQ(list.numbersHeldIn(0, 2), 0u);
}

TEST(NumberMap, FollowsAnOrderedMapThroughInsertsAndErases) {
    // A few hundred keys kept at half the table's size collide in runs: erasing from the
    // middle of a run must leave every later key of it findable.
    NumberMap map;
    std::map<std::uint32_t, std::uint32_t> expected;
    std::mt19937 random(31);
    for (int step = 0; step < 20000; ++step) {
        std::uint32_t key = (random() % 64) * 4096 + random() % 3;
        if (random() % 3 == 0) {
            map.erase(key);
            expected.erase(key);
        } else {
            map[key] = static_cast<std::uint32_t>(step);
            expected[key] = static_cast<std::uint32_t>(step);
        }
        ASSERT_EQ(map.size(), expected.size());
    }
    for (std::uint32_t key = 0; key < 64 * 4096 + 3; ++key) {
        const std::uint32_t* found = map.find(key);
        auto want = expected.find(key);
        ASSERT_EQ(found != nullptr, want != expected.end()) << key;
        if (found) {
            EXPECT_EQ(*found, want->second) << key;
        }
    }
}
