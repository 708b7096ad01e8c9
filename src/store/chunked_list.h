// A list that grows in fixed chunks: an element's address stays put as the list grows, a
// list of a hundred thousand makes a few hundred allocations, and no growth ever copies
// the list or leaves half of a doubled block unused.
#pragma once
#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

namespace perchlet {

template <typename T, std::size_t ChunkSize>
class ChunkedList {
    static_assert((ChunkSize & (ChunkSize - 1)) == 0, "a chunk holds a power of two");

public:
    // The next element as its chunk made it: a chunk's elements are made when it is, and
    // only clear() gives any of them up.
    T& emplace_back() {
        if (size_ == chunks_.size() * ChunkSize)
            chunks_.push_back(spare_ ? std::move(spare_) : std::make_unique<T[]>(ChunkSize));
        return (*this)[size_++];
    }
    T& push_back(T&& value) { return emplace_back() = std::move(value); }
    void clear() {
        chunks_.clear();
        size_ = 0;
    }

    // Hands each element of from to take, in order, for take to move it into this list. Each
    // chunk from empties is made fresh and serves this list's next growth, so that the
    // elements are never held twice over. from ends empty.
    template <typename Take>
    void takeOver(ChunkedList& from, Take take) {
        for (std::size_t i = 0; i < from.size_; ++i) {
            take(from[i]);
            if ((i + 1) % ChunkSize != 0) continue;
            std::unique_ptr<T[]>& emptied = from.chunks_[i / ChunkSize];
            for (std::size_t k = 0; k < ChunkSize; ++k) emptied[k] = T();
            spare_ = std::move(emptied);
        }
        from.clear();
        spare_.reset();
    }

    T& operator[](std::size_t index) { return chunks_[index / ChunkSize][index % ChunkSize]; }
    const T& operator[](std::size_t index) const { return chunks_[index / ChunkSize][index % ChunkSize]; }
    T& front() { return (*this)[0]; }
    const T& front() const { return (*this)[0]; }
    T& back() { return (*this)[size_ - 1]; }
    std::size_t size() const { return size_; }

    class const_iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator(const ChunkedList& list, std::size_t index) : list_(&list), index_(index) {}
        reference operator*() const { return (*list_)[index_]; }
        pointer operator->() const { return &(*list_)[index_]; }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        const_iterator& operator--() {
            --index_;
            return *this;
        }
        const_iterator operator++(int) { return {*list_, index_++}; }
        const_iterator operator--(int) { return {*list_, index_--}; }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }
        bool operator!=(const const_iterator& other) const { return index_ != other.index_; }

    private:
        const ChunkedList* list_;
        std::size_t index_;
    };
    const_iterator begin() const { return {*this, 0}; }
    const_iterator end() const { return {*this, size_}; }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
    std::unique_ptr<T[]> spare_;  // a chunk emptied by takeOver, for the next growth
};

}  // namespace perchlet
