#include "store/item_list.h"

namespace perchlet {

ItemList::ItemList(BookmarkItem root) { reset(std::move(root)); }

void ItemList::reset(BookmarkItem root) {
    records_.clear();
    firstPosition_.clear();
    heldPerClass_.clear();
    hasSharedNumbers_ = false;
    append(std::move(root));
}

BookmarkItem& ItemList::append(BookmarkItem record) {
    records_.push_back(std::move(record));
    if (firstPosition_.count(records_.back().itemNumber)) hasSharedNumbers_ = true;
    else indexNew(records_.back().itemNumber, records_.size() - 1);
    return records_.back();
}

BookmarkItem* ItemList::find(ItemNumber number) {
    auto it = firstPosition_.find(number);
    return it == firstPosition_.end() ? nullptr : &records_[it->second];
}

const BookmarkItem* ItemList::find(ItemNumber number) const {
    auto it = firstPosition_.find(number);
    return it == firstPosition_.end() ? nullptr : &records_[it->second];
}

static std::uint32_t classOf(ItemNumber number) { return asBits(number) >> 16; }

void ItemList::indexNew(ItemNumber number, std::size_t position) {
    firstPosition_.emplace(number, position);
    ++heldPerClass_[classOf(number)];
}

void ItemList::unindex(std::unordered_map<ItemNumber, std::size_t>::iterator entry) {
    auto held = heldPerClass_.find(classOf(entry->first));
    if (held != heldPerClass_.end() && --held->second == 0) heldPerClass_.erase(held);
    firstPosition_.erase(entry);
}

std::size_t ItemList::numbersHeldIn(unsigned kind, unsigned depth) const {
    auto held = heldPerClass_.find(classOf(makeItemNumber(kind, depth, 0)));
    return held == heldPerClass_.end() ? 0 : held->second;
}

std::size_t ItemList::positionOf(const BookmarkItem& record) const {
    auto it = firstPosition_.find(record.itemNumber);
    if (it != firstPosition_.end() && &records_[it->second] == &record) return it->second;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (&records_[i] == &record) return i;
    return records_.size();
}

void ItemList::renumber(BookmarkItem& record, ItemNumber newNumber) {
    if (record.itemNumber == newNumber) return;
    renumberAt(positionOf(record), newNumber);
}

void ItemList::renumberAt(std::size_t position, ItemNumber newNumber) {
    if (position >= records_.size()) return;
    BookmarkItem& record = records_[position];
    ItemNumber oldNumber = record.itemNumber;
    if (oldNumber == newNumber) return;
    if (changeSink_) changeSink_->recordRenumbering(position);
    record.itemNumber = newNumber;

    auto old = firstPosition_.find(oldNumber);
    if (old != firstPosition_.end() && old->second == position) {
        unindex(old);
        if (hasSharedNumbers_) indexFrom(position + 1, oldNumber);
    }
    auto current = firstPosition_.find(newNumber);
    if (current == firstPosition_.end()) {
        indexNew(newNumber, position);
    } else {
        hasSharedNumbers_ = true;
        if (position < current->second) current->second = position;
    }
}

void ItemList::exchange(std::size_t index, BookmarkItem& other) {
    if (index >= records_.size()) return;
    BookmarkItem& record = records_[index];
    ItemNumber liveNumber = record.itemNumber;
    ItemNumber otherNumber = other.itemNumber;
    std::swap(record, other);
    record.itemNumber = liveNumber;
    RecordChangeSink* sink = changeSink_;
    changeSink_ = nullptr;
    renumberAt(index, otherNumber);
    changeSink_ = sink;
    other.itemNumber = liveNumber;
}

// After the first holder of a number gave it up, the next holder in list order takes over.
void ItemList::indexFrom(std::size_t position, ItemNumber number) {
    for (std::size_t i = position; i < records_.size(); ++i) {
        if (records_[i].itemNumber == number) {
            indexNew(number, i);
            return;
        }
    }
}

}  // namespace perchlet
