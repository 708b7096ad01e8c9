#include "store/item_list.h"

namespace perchlet {

ItemList::ItemList(BookmarkItem root) { reset(std::move(root)); }

void ItemList::reset(BookmarkItem root) {
    records_.clear();
    firstPosition_.clear();
    hasSharedNumbers_ = false;
    append(std::move(root));
}

BookmarkItem& ItemList::append(BookmarkItem record) {
    records_.push_back(std::move(record));
    auto inserted = firstPosition_.emplace(records_.back().itemNumber, records_.size() - 1);
    if (!inserted.second) hasSharedNumbers_ = true;
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

std::size_t ItemList::positionOf(const BookmarkItem& record) const {
    auto it = firstPosition_.find(record.itemNumber);
    if (it != firstPosition_.end() && &records_[it->second] == &record) return it->second;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (&records_[i] == &record) return i;
    return records_.size();
}

void ItemList::renumber(BookmarkItem& record, ItemNumber newNumber) {
    ItemNumber oldNumber = record.itemNumber;
    if (oldNumber == newNumber) return;
    std::size_t position = positionOf(record);
    record.itemNumber = newNumber;

    auto old = firstPosition_.find(oldNumber);
    if (old != firstPosition_.end() && old->second == position) {
        firstPosition_.erase(old);
        if (hasSharedNumbers_) indexFrom(position + 1, oldNumber);
    }
    auto current = firstPosition_.find(newNumber);
    if (current == firstPosition_.end()) {
        firstPosition_.emplace(newNumber, position);
    } else {
        hasSharedNumbers_ = true;
        if (position < current->second) current->second = position;
    }
}

// After the first holder of a number gave it up, the next holder in list order takes over.
void ItemList::indexFrom(std::size_t position, ItemNumber number) {
    for (std::size_t i = position; i < records_.size(); ++i) {
        if (records_[i].itemNumber == number) {
            firstPosition_.emplace(number, i);
            return;
        }
    }
}

}  // namespace perchlet
