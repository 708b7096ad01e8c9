#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/favorites_fs.h"
#include "exchange/netscape.h"
#include "store/data_file.h"
#include "store/document_text.h"
#include "store/tree_edit.h"
#include "store/tree_population.h"
#include "test_tree.h"
#include "web/update_check.h"

using namespace perchlet;
using perchlet::testing::addItemUnder;
using perchlet::testing::NoShellIcons;
namespace fs = std::filesystem;

namespace {

// root
//   A (folder): a1 (folder: a11), a2
//   B (folder): b1, b2
//   C (link)
struct Sample {
    Document document;
    NoShellIcons icons;
    NodeId root, a, a1, a11, a2, b, b1, b2, c;

    Sample() {
        root = insertRootItem(document);
        a = add(root, "A", "");
        a1 = add(a, "a1", "");
        a11 = add(a1, "a11", "http://a11.example/");
        a2 = add(a, "a2", "mailto:a2@example.com");
        b = add(root, "B", "");
        b1 = add(b, "b1", "http://b1.example/");
        b2 = add(b, "b2", "http://b2.example/");
        c = add(root, "C", "http://c.example/");
        document.history.markSaved();
        document.history.markSaved();
    }

    NodeId add(NodeId parent, const char* title, const char* locator) {
        return addItemUnder(document, icons, parent, title, locator, std::string("about ") + title);
    }

    std::string bytes() const { return writeWholeDocument(document); }

    // False when a title is no longer in the tree.
    bool findNodesAgain() {
        bool all = true;
        for (auto [node, title] : {std::pair{&a, "A"}, {&a1, "a1"}, {&a11, "a11"}, {&a2, "a2"}, {&b, "B"},
                                   {&b1, "b1"}, {&b2, "b2"}, {&c, "C"}}) {
            *node = kNoNode;
            document.tree.walkSubtree(root, [&](NodeId n) {
                if (*node == kNoNode && document.tree.node(n).text == title) *node = n;
            });
            all = all && *node != kNoNode;
        }
        return all && document.tree.isAlive(root);
    }
};

// A favorites folder on the real disk, for the favorites import.
class FavoritesFolder {
public:
    FavoritesFolder() {
        path_ = fs::temp_directory_path() / ("perchlet-undo-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(path_);
        fs::create_directories(path_ / "sub");
        write(path_ / "one.url", "[InternetShortcut]\r\nURL=http://one.example/\r\n");
        write(path_ / "sub" / "two.url", "[InternetShortcut]\r\nURL=http://two.example/\r\n");
    }
    ~FavoritesFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    static void write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    fs::path path_;
};

UpdateDecision marked(UpdateMark mark, unsigned kind, int image, const char* lastModified) {
    UpdateDecision decision;
    decision.mark = mark;
    decision.kind = kind;
    decision.image = image;
    decision.selectedImage = image + 1;
    decision.lastModified = lastModified;
    return decision;
}

struct Operation {
    const char* name;
    std::function<void(Sample&)> run;
};

// Every operation that changes the bookmarks, as the program's commands run it in the core.
std::vector<Operation> operations() {
    // Those that take the sample's nodes out of the tree come last.
    return {
        {"new folder", [](Sample& s) { s.add(s.root, "新しいフォルダ", ""); }},
        {"new item (editor)", [](Sample& s) { s.add(s.a1, "new", "http://new.example/"); }},
        {"record the browser's page", [](Sample& s) { s.add(s.b, "page", "http://page.example/"); }},
        {"paste",
         [](Sample& s) {
             std::string clipboard = writeDataFile(s.document, s.a, s.document.serials.value);
             DataFileReadResult result = importDataFile(clipboard, s.document, s.c, s.icons);
             s.document.serials.value = result.nextCounter;
         }},
        {"move a folder up", [](Sample& s) { swapWithSibling(s.document, s.b, SiblingDirection::Up); }},
        {"move a folder down", [](Sample& s) { swapWithSibling(s.document, s.a, SiblingDirection::Down); }},
        {"move a link up", [](Sample& s) { swapWithSibling(s.document, s.c, SiblingDirection::Up); }},
        {"emphasis", [](Sample& s) { toggleEmphasis(s.document, s.b1); }},
        {"replace (editor)",
         [](Sample& s) {
             NewItemFields fields;
             fields.title = "b2";
             fields.locator = "http://replaced.example/";
             fields.comment = "new comment";
             fields.x = "10";
             fields.y = "20";
             fields.width = "300";
             fields.height = "400";
             replaceItemFields(s.document, s.b2, fields);
         }},
        {"import Netscape",
         [](Sample& s) { importNetscape(exportNetscape(s.document, s.a), s.document, s.b); }},
        {"import CSV", [](Sample& s) { importCsv(exportCsv(s.document, s.root, "C:\\"), s.document, s.a1); }},
        {"import data file",
         [](Sample& s) {
             DataFileReadResult result = importDataFile(writeWholeDocument(s.document), s.document, s.c, s.icons);
             s.document.serials.value = result.nextCounter;
         }},
        {"import favorites",
         [](Sample& s) {
             FavoritesFolder folder;
             DiskFavoritesFileSystem disk;
             importFavorites(s.document, s.b, folder.path(), disk);
         }},
        {"update check",
         [](Sample& s) {
             applyUpdateDecision(s.document, s.a11, marked(UpdateMark::Modified, kKindChangedLink, 4, "1700000000"));
             applyUpdateDecision(s.document, s.b1, marked(UpdateMark::NotFound, kKindFailedLink, 6, "00"));
             applyUpdateDecision(s.document, s.b2, marked(UpdateMark::Unreachable, kKindFailedLink, 6, "000"));
         }},
        {"drag a folder under a link", [](Sample& s) { moveSubtreeUnder(s.document, s.c, s.a); }},
        {"drag a folder deeper", [](Sample& s) { moveSubtreeUnder(s.document, s.b1, s.a); }},
        {"cut",
         [](Sample& s) {
             std::string clipboard = writeDataFile(s.document, s.a1, s.document.serials.value);
             deleteSubtree(s.document, s.a1);
         }},
        {"delete a folder", [](Sample& s) { deleteSubtree(s.document, s.a); }},
        {"delete the middle child", [](Sample& s) { deleteSubtree(s.document, s.b); }},
        {"delete the last link", [](Sample& s) { deleteSubtree(s.document, s.c); }},
        {"delete (editor)", [](Sample& s) { deleteSubtree(s.document, s.a2); }},
        {"delete the top item", [](Sample& s) { deleteSubtree(s.document, s.root); }},
    };
}

void expectState(const Sample& s, const std::string& bytes, std::uint16_t serials, bool modified, const char* when) {
    EXPECT_EQ(s.bytes(), bytes) << when;
    EXPECT_EQ(s.document.serials.value, serials) << when;
    EXPECT_EQ(s.document.modified(), modified) << when;
}

}  // namespace

TEST(UndoHistory, EveryOperationUndoesAndRedoesToTheSameBytes) {
    for (const Operation& operation : operations()) {
        SCOPED_TRACE(operation.name);
        Sample s;
        std::string before = s.bytes();
        std::uint16_t serialsBefore = s.document.serials.value;
        {
            UndoStep step(s.document, "step");
            operation.run(s);
        }
        std::string after = s.bytes();
        std::uint16_t serialsAfter = s.document.serials.value;
        ASSERT_NE(after, before) << "the operation changed nothing";
        ASSERT_TRUE(s.document.history.canUndo());
        EXPECT_EQ(s.document.history.undoName(), "step");

        s.document.history.undo(s.document);
        expectState(s, before, serialsBefore, false, "undone");
        EXPECT_EQ(s.document.history.redoName(), "step");
        s.document.history.redo(s.document);
        expectState(s, after, serialsAfter, true, "redone");
        s.document.history.undo(s.document);
        expectState(s, before, serialsBefore, false, "undone again");

        // The document stays sound for what comes next: a new item after the undo.
        s.add(s.root, "later", "http://later.example/");
        EXPECT_NE(s.bytes().find("later"), std::string::npos);
    }
}

TEST(UndoHistory, AllOperationsInARowGoBackAndForthStepByStep) {
    Sample s;
    std::vector<std::string> states{s.bytes()};
    for (const Operation& operation : operations()) {
        // Moves and swaps make new nodes for what they move: each operation acts on the
        // first live node of each title.
        if (!s.findNodesAgain()) break;
        std::size_t steps = s.document.history.stepCount();
        {
            UndoStep step(s.document, operation.name);
            operation.run(s);
        }
        // A drop into the dragged item's own subtree is refused and makes no step.
        if (s.document.history.stepCount() > steps) states.push_back(s.bytes());
    }
    ASSERT_GE(states.size(), operations().size() - 8);
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        s.document.history.undo(s.document);
        ASSERT_EQ(s.bytes(), states[i - 1]) << "after undoing step " << i;
    }
    EXPECT_FALSE(s.document.modified());
    EXPECT_FALSE(s.document.history.canUndo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        s.document.history.redo(s.document);
        ASSERT_EQ(s.bytes(), states[i]) << "after redoing step " << i;
    }
    EXPECT_TRUE(s.document.modified());
}

TEST(UndoHistory, FocusBringsBackWhatWasTakenAway) {
    struct Case {
        const char* name;
        std::function<void(Sample&)> run;
        std::function<NodeId(const Sample&)> afterUndo;
    };
    const Case cases[] = {
        {"delete", [](Sample& s) { deleteSubtree(s.document, s.b); }, [](const Sample& s) { return s.b; }},
        {"new item", [](Sample& s) { s.add(s.a1, "x", ""); }, [](const Sample& s) { return s.a1; }},
        {"drag", [](Sample& s) { moveSubtreeUnder(s.document, s.c, s.a); }, [](const Sample& s) { return s.a; }},
        {"emphasis", [](Sample& s) { toggleEmphasis(s.document, s.c); }, [](const Sample& s) { return s.c; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sample s;
        {
            UndoStep step(s.document, c.name);
            c.run(s);
        }
        EXPECT_EQ(s.document.history.undo(s.document), c.afterUndo(s));
    }
}

TEST(UndoHistory, SavedStateAndBoundsDecideTheModifiedFlag) {
    Sample s;
    auto emphasise = [&](NodeId node) {
        UndoStep step(s.document, "強調");
        toggleEmphasis(s.document, node);
    };
    emphasise(s.a);
    emphasise(s.b);
    s.document.history.markSaved();
    s.document.history.markSaved();  // saved after two steps
    emphasise(s.c);
    EXPECT_TRUE(s.document.modified());
    s.document.history.undo(s.document);
    EXPECT_FALSE(s.document.modified());
    s.document.history.undo(s.document);
    EXPECT_TRUE(s.document.modified());
    s.document.history.redo(s.document);
    EXPECT_FALSE(s.document.modified());

    // A new step where a redo was waiting: the saved state can only be left now.
    s.document.history.undo(s.document);
    emphasise(s.a1);
    EXPECT_FALSE(s.document.history.canRedo());
    s.document.history.undo(s.document);
    EXPECT_TRUE(s.document.modified());

    // An empty step is no step, and leaves the redo step; a step inside a step joins it.
    { UndoStep nothing(s.document, "なし"); }
    EXPECT_TRUE(s.document.history.canRedo());
    s.document.history.redo(s.document);
    std::size_t steps = s.document.history.stepCount();
    { UndoStep nothing(s.document, "なし"); }
    {
        UndoStep outer(s.document, "外");
        emphasise(s.a2);
        emphasise(s.b1);
    }
    EXPECT_EQ(s.document.history.stepCount(), steps + 1);
    EXPECT_EQ(s.document.history.undoName(), "外");

    // The oldest steps go beyond the bound.
    s.document.history.setBounds(3, UndoHistory::kDefaultMaxBytes);
    for (int i = 0; i < 5; ++i) emphasise(s.c);
    EXPECT_EQ(s.document.history.stepCount(), 3u);
    resetDocument(s.document);
    EXPECT_EQ(s.document.history.stepCount(), 0u);
    EXPECT_FALSE(s.document.history.canUndo());
}

TEST(UndoHistory, AStepHoldsWhatChangedNotTheDocument) {
    Sample s;
    NodeId big = s.add(s.root, "big", "");
    for (int i = 0; i < 2000; ++i) s.add(big, "link with a title of some length", "http://example.com/some/long/path");
    {
        UndoStep step(s.document, "強調");
        toggleEmphasis(s.document, s.c);
    }
    std::size_t emphasis = s.document.history.bytes();
    EXPECT_LT(emphasis, 4096u);
    {
        UndoStep step(s.document, "移動");
        swapWithSibling(s.document, s.a, SiblingDirection::Down);
    }
    EXPECT_LT(s.document.history.bytes() - emphasis, 64u * 1024);

    // A bound in bytes drops the oldest steps, and a removed subtree no step can bring back
    // gives up its texts.
    s.document.history.setBounds(100, 1);
    {
        UndoStep step(s.document, "削除");
        deleteSubtree(s.document, big);
    }
    EXPECT_EQ(s.document.history.stepCount(), 1u);
    {
        UndoStep step(s.document, "削除");
        deleteSubtree(s.document, s.b);
    }
    EXPECT_EQ(s.document.history.stepCount(), 1u);
    EXPECT_TRUE(s.document.tree.node(big + 1).text.empty());
}
