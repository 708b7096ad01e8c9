// Undo and redo of changes to the document. A step is opened before an operation and closed
// after it; while it is open the tree model and the item list tell it of every change with
// what the change replaces, so a step holds only what its operation changed: the places of
// the subtrees that went in or out, the looks of changed nodes, the fields of changed
// records. A removed subtree is kept, detached, for as long as a step can bring it back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "store/document_content.h"

namespace perchlet {

class UndoHistory : private TreeChangeSink, private RecordChangeSink {
public:
    static constexpr std::size_t kDefaultMaxSteps = 100;
    static constexpr std::size_t kDefaultMaxBytes = std::size_t{64} << 20;

    UndoHistory() = default;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // Opens a step named for the menu ("削除"). Steps opened inside an open one join it.
    void begin(DocumentContent& document, std::string name);
    // Closes the step. True when it changed the document and was kept: the redo steps are
    // dropped and the oldest steps go when over the bounds.
    bool commit(DocumentContent& document);
    bool recording() const { return depth_ > 0; }
    // The nodes to select after undoing and after redoing the open step, where the ones
    // worked out from its changes would not be what the user looks for.
    void setFocus(NodeId afterUndo, NodeId afterRedo);

    bool canUndo() const { return depth_ == 0 && position_ > 0; }
    bool canRedo() const { return depth_ == 0 && position_ < steps_.size(); }
    // The names of the steps an undo and a redo would take; empty when there is none.
    std::string undoName() const;
    std::string redoName() const;

    // Take back the last step, or do again the last one taken back. Returns the node to select: the item brought back, or the parent of the
    // one taken away; kNoNode when there is none or nothing was done.
    NodeId undo(DocumentContent& document);
    NodeId redo(DocumentContent& document);

    // The document is as its file now (loaded or saved).
    void markSaved();
    bool atSavedState() const { return saved_ == position_; }
    // Unsaved changes: the history is away from its saved point, or a change that is no undo
    // step made that point unreachable.
    bool modified() const { return !atSavedState(); }
    // A change the history does not hold. Inside an open step it counts only when the step
    // itself records nothing (a move that found no place to go still marks the document).
    void markChanged();
    // Told whenever modified() changes; the caption follows it.
    void setModifiedObserver(std::function<void(bool modified)> observer);
    // Forgets every step, for a document that was emptied; the emptied state counts as saved.
    void clear();
    // Forgets what the open step has noted so far, so that it holds only what follows: for a
    // change to the whole document (its encoding) that no step can take back.
    void restartOpenStep(const DocumentContent& document);

    void setBounds(std::size_t maxSteps, std::size_t maxBytes);
    std::size_t stepCount() const { return steps_.size(); }
    // What the kept steps hold, detached subtrees included, roughly.
    std::size_t bytes() const { return bytes_; }

private:
    enum class ChangeKind : std::uint8_t { None, Inserted, Detached, Moved, Look, Record, Number };
    struct Change {
        ChangeKind kind = ChangeKind::None;
        std::uint32_t target = 0;  // a node, or a record's place in the list
        NodeId parent = kNoNode;   // Inserted, Detached, Moved: the subtree's (other) place
        NodeId before = kNoNode;
        std::int32_t value = 0;    // Number: the other number; Look, Record: the slot
    };
    struct Step {
        std::string name;
        std::vector<Change> changes;
        std::vector<NodeLook> looks;
        std::vector<BookmarkItem> records;
        std::uint16_t serials = 0;  // the counter's other value
        NodeId focusAfterUndo = kNoNode;
        NodeId focusAfterRedo = kNoNode;
        bool focusGiven = false;
        std::size_t bytes = 0;
    };
    static constexpr std::size_t kNoSavedState = static_cast<std::size_t>(-1);

    // A detached or moved subtree's place before the change.
    void recordPlace(ChangeKind kind, NodeId node);

    // TreeChangeSink
    void nodeInserted(NodeId node) override;
    void subtreeDetaching(NodeId node) override;
    void nodeChanging(NodeId node) override;
    void subtreeMoving(NodeId node) override;
    // RecordChangeSink
    void recordChanging(std::size_t index) override;
    void recordRenumbering(std::size_t index) override;

    void apply(DocumentContent& document, Step& step, Change& change);
    NodeId focusOf(const DocumentContent& document, NodeId node) const;
    void dropUnchanged(const DocumentContent& document);
    void workOutFocus(const DocumentContent& document);
    std::size_t bytesOf(const DocumentContent& document, const Step& step) const;
    void dropRedoSteps(DocumentContent& document);
    void dropOldest(DocumentContent& document);
    void purge(DocumentContent& document, const Step& step, bool insertedToo);
    void forgetUnreachableSavedState();
    void tellModifiedObserver();

    std::deque<Step> steps_;
    std::size_t position_ = 0;  // steps done; those after it are redo steps
    std::size_t saved_ = 0;
    std::size_t bytes_ = 0;
    std::size_t maxSteps_ = kDefaultMaxSteps;
    std::size_t maxBytes_ = kDefaultMaxBytes;
    std::function<void(bool)> modifiedObserver_;
    bool toldModified_ = false;

    // The open step.
    int depth_ = 0;
    DocumentContent* open_ = nullptr;
    Step step_;
    std::size_t firstNewNode_ = 0;    // nodes from here on were made by the open step
    std::size_t firstNewRecord_ = 0;  // and records
    std::unordered_set<NodeId> lookNoted_;
    std::unordered_set<std::size_t> recordNoted_;
    bool changedInStep_ = false;  // markChanged while the step was open
};

}  // namespace perchlet
