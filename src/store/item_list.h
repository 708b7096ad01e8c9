// Every record of the document, in the order made or read, with a lookup by item number.
#pragma once
#include <cstddef>

#include "store/bookmark_item.h"
#include "store/chunked_list.h"
#include "store/number_map.h"

namespace perchlet {

// The records in chunks of 256: a load of a hundred thousand records makes a few hundred
// allocations, none of them half used.
using RecordChunks = ChunkedList<BookmarkItem, 256>;

// Told before a record changes, so that the change can be taken back.
class RecordChangeSink {
public:
    virtual ~RecordChangeSink() = default;
    // Any field may change (edit()).
    virtual void recordChanging(std::size_t index) = 0;
    // Only the item number changes (renumber, renumberAt).
    virtual void recordRenumbering(std::size_t index) = 0;
};

class ItemList {
public:
    // A list always has its head, the root record.
    explicit ItemList(BookmarkItem root);

    // Appends a copy and returns the stored record; its address stays valid until reset.
    BookmarkItem& append(BookmarkItem record);
    // Appends an empty record to be filled in place: its number must be set before the
    // next lookup, which is when it joins the index.
    BookmarkItem& appendEmpty() { return records_.emplace_back(); }

    // Hands each record of from to take, which appends it here, without holding the records
    // twice over (RecordChunks::takeOver).
    template <typename Take>
    void takeOver(RecordChunks& from, Take take) {
        records_.takeOver(from, take);
    }

    // The first record in list order carrying this number, or nullptr.
    BookmarkItem* find(ItemNumber number);
    const BookmarkItem* find(ItemNumber number) const;

    // Item numbers change in place (kind after an update check, depth after a move);
    // going through here keeps the lookup right.
    void renumber(BookmarkItem& record, ItemNumber newNumber);
    // The same for the record at a known place, which stays quick when many share a number.
    void renumberAt(std::size_t index, ItemNumber newNumber);

    // The record at its place in list order (0 is the head).
    BookmarkItem& at(std::size_t index) { return records_[index]; }
    const BookmarkItem& at(std::size_t index) const { return records_[index]; }
    // The record at its place, about to be changed: the change sink hears of it first.
    BookmarkItem& edit(std::size_t index) {
        if (changeSink_) changeSink_->recordChanging(index);
        return records_[index];
    }
    // Exchanges every field of the record at index with those of other, its number
    // included (the lookup follows); the sink is not told.
    void exchange(std::size_t index, BookmarkItem& other);

    void setChangeSink(RecordChangeSink* sink) { changeSink_ = sink; }

    // Drops every record and starts again from a new head.
    void reset(BookmarkItem root);

    // How many distinct numbers of this kind and depth the records hold (at most 65536).
    std::size_t numbersHeldIn(unsigned kind, unsigned depth) const;

    BookmarkItem& head() { return records_.front(); }
    const BookmarkItem& head() const { return records_.front(); }
    std::size_t size() const { return records_.size(); }

    using const_iterator = RecordChunks::const_iterator;
    const_iterator begin() const { return records_.begin(); }
    const_iterator end() const { return records_.end(); }

private:
    void catchUp() const;
    void indexFrom(std::size_t position, ItemNumber number);
    void indexNew(ItemNumber number, std::size_t position) const;
    void unindex(ItemNumber number);
    std::size_t positionOf(const BookmarkItem& record) const;

    RecordChunks records_;
    // The lookups cover the first indexed_ records; the rest join at the next lookup.
    mutable NumberMap firstPosition_;
    mutable NumberMap heldPerClass_;  // by kind and depth
    mutable bool hasSharedNumbers_ = false;
    mutable std::size_t indexed_ = 0;
    RecordChangeSink* changeSink_ = nullptr;
};

}  // namespace perchlet
