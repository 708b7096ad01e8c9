#include "store/item_list.h"

namespace perchlet {

ItemList::ItemList(BookmarkItem root) { reset(std::move(root)); }

void ItemList::reset(BookmarkItem root) {
    records_.clear();
    firstPosition_.clear();
    heldPerClass_.clear();
    hasSharedNumbers_ = false;
    indexed_ = 0;
    append(std::move(root));
}

BookmarkItem& ItemList::append(BookmarkItem record) {
    records_.push_back(std::move(record));
    return records_.back();
}

// Records appended since the last lookup enter the index in list order, as if each had
// been indexed when it came: a load appends every record and may never look one up.
void ItemList::catchUp() const {
    for (; indexed_ < records_.size(); ++indexed_) {
        ItemNumber number = records_[indexed_].itemNumber;
        if (firstPosition_.find(asBits(number))) hasSharedNumbers_ = true;
        else indexNew(number, indexed_);
    }
}

BookmarkItem* ItemList::find(ItemNumber number) {
    catchUp();
    const std::uint32_t* position = firstPosition_.find(asBits(number));
    return position ? &records_[*position] : nullptr;
}

const BookmarkItem* ItemList::find(ItemNumber number) const {
    catchUp();
    const std::uint32_t* position = firstPosition_.find(asBits(number));
    return position ? &records_[*position] : nullptr;
}

static std::uint32_t classOf(ItemNumber number) { return asBits(number) >> 16; }

void ItemList::indexNew(ItemNumber number, std::size_t position) const {
    firstPosition_[asBits(number)] = static_cast<std::uint32_t>(position);
    ++heldPerClass_[classOf(number)];
}

void ItemList::unindex(ItemNumber number) {
    std::uint32_t* held = heldPerClass_.find(classOf(number));
    if (held && --*held == 0) heldPerClass_.erase(classOf(number));
    firstPosition_.erase(asBits(number));
}

std::size_t ItemList::numbersHeldIn(unsigned kind, unsigned depth) const {
    catchUp();
    const std::uint32_t* held = heldPerClass_.find(classOf(makeItemNumber(kind, depth, 0)));
    return held ? *held : 0;
}

std::size_t ItemList::positionOf(const BookmarkItem& record) const {
    catchUp();
    const std::uint32_t* first = firstPosition_.find(asBits(record.itemNumber));
    if (first && &records_[*first] == &record) return *first;
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
    catchUp();
    BookmarkItem& record = records_[position];
    ItemNumber oldNumber = record.itemNumber;
    if (oldNumber == newNumber) return;
    if (changeSink_) changeSink_->recordRenumbering(position);
    record.itemNumber = newNumber;

    const std::uint32_t* old = firstPosition_.find(asBits(oldNumber));
    if (old && *old == position) {
        unindex(oldNumber);
        if (hasSharedNumbers_) indexFrom(position + 1, oldNumber);
    }
    std::uint32_t* current = firstPosition_.find(asBits(newNumber));
    if (!current) {
        indexNew(newNumber, position);
    } else {
        hasSharedNumbers_ = true;
        if (position < *current) *current = static_cast<std::uint32_t>(position);
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
