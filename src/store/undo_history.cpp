#include "store/undo_history.h"

#include <algorithm>
#include <utility>


namespace perchlet {

namespace {

bool sameFields(const BookmarkItem& a, const BookmarkItem& b) {
    return a.parentNumber == b.parentNumber && a.title == b.title && a.locator == b.locator &&
           a.comment == b.comment && a.lastModified == b.lastModified && a.lastVisit == b.lastVisit &&
           a.addDate == b.addDate && a.windowLeft == b.windowLeft && a.windowTop == b.windowTop &&
           a.windowRight == b.windowRight && a.windowBottom == b.windowBottom && a.browser == b.browser &&
           a.mark == b.mark;
}

bool sameLook(const NodeLook& a, const NodeLook& b) {
    return a.itemNumber == b.itemNumber && a.text == b.text && a.image == b.image &&
           a.selectedImage == b.selectedImage && a.bold == b.bold && a.record == b.record;
}

std::size_t bytesOfRecord(const BookmarkItem& r) {
    return sizeof r + r.title.capacity() + r.locator.capacity() + r.comment.capacity() +
           r.lastModified.capacity() + r.lastVisit.capacity() + r.addDate.capacity();
}

}  // namespace

void UndoHistory::begin(DocumentContent& document, std::string name) {
    if (depth_++ > 0) return;
    open_ = &document;
    step_ = Step{};
    step_.name = std::move(name);
    step_.serials = document.serials.value;
    firstNewNode_ = document.tree.slotCount();
    firstNewRecord_ = document.items.size();
    document.tree.setChangeSink(this);
    document.items.setChangeSink(this);
}

void UndoHistory::setFocus(NodeId afterUndo, NodeId afterRedo) {
    if (depth_ == 0) return;
    step_.focusAfterUndo = afterUndo;
    step_.focusAfterRedo = afterRedo;
    step_.focusGiven = true;
}

bool UndoHistory::commit(DocumentContent& document) {
    if (depth_ == 0 || --depth_ > 0) return false;
    document.tree.setChangeSink(nullptr);
    document.items.setChangeSink(nullptr);
    open_ = nullptr;
    lookNoted_.clear();
    recordNoted_.clear();
    dropUnchanged(document);
    bool changedOutside = changedInStep_;
    changedInStep_ = false;
    if (step_.changes.empty()) {
        step_ = Step{};
        if (changedOutside) forgetUnreachableSavedState();
        tellModifiedObserver();
        return false;
    }
    if (!step_.focusGiven) workOutFocus(document);
    dropRedoSteps(document);
    step_.bytes = bytesOf(document, step_);
    bytes_ += step_.bytes;
    steps_.push_back(std::move(step_));
    step_ = Step{};
    ++position_;
    while (steps_.size() > 1 && (steps_.size() > maxSteps_ || bytes_ > maxBytes_)) dropOldest(document);
    tellModifiedObserver();
    return true;
}

std::string UndoHistory::undoName() const { return canUndo() ? steps_[position_ - 1].name : std::string(); }

std::string UndoHistory::redoName() const { return canRedo() ? steps_[position_].name : std::string(); }

NodeId UndoHistory::undo(DocumentContent& document) {
    if (!canUndo()) return kNoNode;
    Step& step = steps_[position_ - 1];
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) apply(document, step, *it);
    std::swap(step.serials, document.serials.value);
    --position_;
    tellModifiedObserver();
    return focusOf(document, step.focusAfterUndo);
}

NodeId UndoHistory::redo(DocumentContent& document) {
    if (!canRedo()) return kNoNode;
    Step& step = steps_[position_];
    for (Change& change : step.changes) apply(document, step, change);
    std::swap(step.serials, document.serials.value);
    ++position_;
    tellModifiedObserver();
    return focusOf(document, step.focusAfterRedo);
}

void UndoHistory::clear() {
    steps_.clear();
    position_ = saved_ = bytes_ = 0;
    tellModifiedObserver();
}

void UndoHistory::restartOpenStep(const DocumentContent& document) {
    if (depth_ == 0) return;
    std::string name = std::move(step_.name);
    step_ = Step{};
    step_.name = std::move(name);
    step_.serials = document.serials.value;
    firstNewNode_ = document.tree.slotCount();
    firstNewRecord_ = document.items.size();
    lookNoted_.clear();
    recordNoted_.clear();
}

void UndoHistory::setBounds(std::size_t maxSteps, std::size_t maxBytes) {
    maxSteps_ = std::max<std::size_t>(1, maxSteps);
    maxBytes_ = maxBytes;
}

// Every change exchanges what the document holds with what the step holds, so the same
// call takes a change back and does it again.
void UndoHistory::apply(DocumentContent& document, Step& step, Change& change) {
    BookmarkTree& tree = document.tree;
    switch (change.kind) {
    case ChangeKind::None:
        break;
    case ChangeKind::Inserted:
    case ChangeKind::Detached:
        if (tree.isAlive(change.target)) {
            change.parent = tree.parent(change.target);
            change.before = tree.nextSibling(change.target);
            tree.detachSubtree(change.target);
        } else {
            tree.attachSubtree(change.target, change.parent, change.before);
        }
        break;
    case ChangeKind::Moved: {
        NodeId parent = tree.parent(change.target);
        NodeId before = tree.nextSibling(change.target);
        tree.detachSubtree(change.target);
        tree.attachSubtree(change.target, change.parent, change.before);
        change.parent = parent;
        change.before = before;
        break;
    }
    case ChangeKind::Look: {
        NodeLook& stored = step.looks[static_cast<std::size_t>(change.value)];
        NodeLook current = tree.look(change.target);
        tree.setLook(change.target, std::move(stored));
        stored = std::move(current);
        break;
    }
    case ChangeKind::Record:
        document.items.exchange(change.target, step.records[static_cast<std::size_t>(change.value)]);
        break;
    case ChangeKind::Number: {
        ItemNumber current = document.items.at(change.target).itemNumber;
        document.items.renumberAt(change.target, change.value);
        change.value = current;
        break;
    }
    }
}

NodeId UndoHistory::focusOf(const DocumentContent& document, NodeId node) const {
    return node != kTopLevel && document.tree.isAlive(node) ? node : kNoNode;
}

// A node made by the open step needs no entry of its own when its parent is new as well:
// taking the parent out takes it too. Nor do new nodes' looks or new records' fields,
// which nothing before the step has seen.
void UndoHistory::nodeInserted(NodeId node) {
    const BookmarkTree& tree = open_->tree;
    if (tree.parent(node) >= firstNewNode_ && tree.parent(node) != kNoNode) return;
    Change change;
    change.kind = ChangeKind::Inserted;
    change.target = node;
    change.parent = tree.parent(node);
    step_.changes.push_back(change);
}

void UndoHistory::subtreeDetaching(NodeId node) { recordPlace(ChangeKind::Detached, node); }

void UndoHistory::subtreeMoving(NodeId node) { recordPlace(ChangeKind::Moved, node); }

// Where the subtree stands before it goes: under its parent, before its next sibling.
void UndoHistory::recordPlace(ChangeKind kind, NodeId node) {
    const BookmarkTree& tree = open_->tree;
    Change change;
    change.kind = kind;
    change.target = node;
    change.parent = tree.parent(node);
    change.before = tree.nextSibling(node);
    step_.changes.push_back(change);
}

void UndoHistory::nodeChanging(NodeId node) {
    if (node >= firstNewNode_ || !lookNoted_.insert(node).second) return;
    Change change;
    change.kind = ChangeKind::Look;
    change.target = node;
    change.value = static_cast<std::int32_t>(step_.looks.size());
    step_.looks.push_back(open_->tree.look(node));
    step_.changes.push_back(change);
}

void UndoHistory::recordChanging(std::size_t index) {
    if (index >= firstNewRecord_ || !recordNoted_.insert(index).second) return;
    Change change;
    change.kind = ChangeKind::Record;
    change.target = static_cast<std::uint32_t>(index);
    change.value = static_cast<std::int32_t>(step_.records.size());
    step_.records.push_back(open_->items.at(index));
    step_.changes.push_back(change);
}

void UndoHistory::recordRenumbering(std::size_t index) {
    if (index >= firstNewRecord_) return;
    Change change;
    change.kind = ChangeKind::Number;
    change.target = static_cast<std::uint32_t>(index);
    change.value = open_->items.at(index).itemNumber;
    step_.changes.push_back(change);
}

// Records are noted whenever they are reached for writing; those that kept their fields,
// and nodes that kept their looks, need no entry.
void UndoHistory::dropUnchanged(const DocumentContent& document) {
    for (Change& change : step_.changes) {
        auto slot = static_cast<std::size_t>(change.value);
        if (change.kind == ChangeKind::Record && sameFields(step_.records[slot], document.items.at(change.target))) {
            step_.records[slot] = BookmarkItem{};
            change.kind = ChangeKind::None;
        } else if (change.kind == ChangeKind::Look && sameLook(step_.looks[slot], document.tree.look(change.target))) {
            step_.looks[slot] = NodeLook{};
            change.kind = ChangeKind::None;
        }
    }
    auto& changes = step_.changes;
    changes.erase(std::remove_if(changes.begin(), changes.end(),
                                 [](const Change& c) { return c.kind == ChangeKind::None; }),
                  changes.end());
}

// Undo selects what it brings back, or the parent of what it takes away; redo the same
// the other way round; otherwise the node whose look changed.
void UndoHistory::workOutFocus(const DocumentContent& document) {
    const auto& changes = step_.changes;
    auto firstOf = [&](ChangeKind kind) {
        return std::find_if(changes.begin(), changes.end(), [kind](const Change& c) { return c.kind == kind; });
    };
    auto lastOf = [&](ChangeKind kind) {
        return std::find_if(changes.rbegin(), changes.rend(), [kind](const Change& c) { return c.kind == kind; });
    };
    const BookmarkTree& tree = document.tree;
    if (auto detached = firstOf(ChangeKind::Detached); detached != changes.end())
        step_.focusAfterUndo = detached->target;
    else if (auto inserted = firstOf(ChangeKind::Inserted); inserted != changes.end())
        step_.focusAfterUndo = inserted->parent;
    else if (auto look = firstOf(ChangeKind::Look); look != changes.end())
        step_.focusAfterUndo = look->target;

    if (auto inserted = lastOf(ChangeKind::Inserted); inserted != changes.rend() && tree.isAlive(inserted->target))
        step_.focusAfterRedo = inserted->target;
    else if (auto detached = lastOf(ChangeKind::Detached); detached != changes.rend())
        step_.focusAfterRedo = detached->parent;
    else if (auto look = lastOf(ChangeKind::Look); look != changes.rend())
        step_.focusAfterRedo = look->target;
}

std::size_t UndoHistory::bytesOf(const DocumentContent& document, const Step& step) const {
    std::size_t bytes = sizeof step + step.name.capacity() + step.changes.capacity() * sizeof(Change);
    for (const NodeLook& look : step.looks) bytes += sizeof look + look.text.capacity();
    for (const BookmarkItem& record : step.records) bytes += bytesOfRecord(record);
    for (const Change& change : step.changes)
        if (change.kind == ChangeKind::Detached && !document.tree.isAlive(change.target))
            bytes += document.tree.subtreeBytes(change.target);
    return bytes;
}

// Redo steps that can no longer be reached give up the subtrees only they could bring back.
void UndoHistory::dropRedoSteps(DocumentContent& document) {
    while (steps_.size() > position_) {
        purge(document, steps_.back(), true);
        bytes_ -= steps_.back().bytes;
        steps_.pop_back();
    }
    if (saved_ != kNoSavedState && saved_ > position_) saved_ = kNoSavedState;
}

void UndoHistory::dropOldest(DocumentContent& document) {
    purge(document, steps_.front(), false);
    bytes_ -= steps_.front().bytes;
    steps_.pop_front();
    --position_;
    if (saved_ != kNoSavedState) saved_ = saved_ == 0 ? kNoSavedState : saved_ - 1;
}

// A subtree outside the tree that only this step could bring back is freed. For a step
// that is done, that is what it removed; for one taken back, also what it had made.
void UndoHistory::purge(DocumentContent& document, const Step& step, bool insertedToo) {
    for (const Change& change : step.changes) {
        bool placed = change.kind == ChangeKind::Detached || (insertedToo && change.kind == ChangeKind::Inserted);
        if (placed && !document.tree.isAlive(change.target)) document.tree.purgeSubtree(change.target);
    }
}

// A document changed outside the history at its saved state: that state can no longer be
// reached by undoing.
void UndoHistory::forgetUnreachableSavedState() {
    if (atSavedState()) saved_ = kNoSavedState;
}

void UndoHistory::markChanged() {
    if (depth_ > 0) {
        changedInStep_ = true;
        return;
    }
    forgetUnreachableSavedState();
    tellModifiedObserver();
}

void UndoHistory::markSaved() {
    saved_ = position_;
    tellModifiedObserver();
}

void UndoHistory::setModifiedObserver(std::function<void(bool modified)> observer) {
    modifiedObserver_ = std::move(observer);
    toldModified_ = modified();
    if (modifiedObserver_) modifiedObserver_(toldModified_);
}

void UndoHistory::tellModifiedObserver() {
    if (modified() == toldModified_) return;
    toldModified_ = modified();
    if (modifiedObserver_) modifiedObserver_(toldModified_);
}

}  // namespace perchlet
