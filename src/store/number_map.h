// A map from 32-bit numbers to 32-bit values, stored flat: one probe into one array of
// eight-byte slots instead of a node allocation per entry. The item list keeps its lookups
// here, and a load of a hundred thousand records makes a hundred thousand entries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace perchlet {

class NumberMap {
public:
    using Value = std::uint32_t;
    // Marks a free slot; no value the item list stores (a position, a count) comes near it.
    static constexpr Value kFree = 0xFFFFFFFFu;

    // The value stored for key, or nullptr.
    Value* find(std::uint32_t key) {
        if (slots_.empty()) return nullptr;
        for (std::size_t at = home(key);; at = (at + 1) & mask()) {
            Slot& slot = slots_[at];
            if (slot.value == kFree) return nullptr;
            if (slot.key == key) return &slot.value;
        }
    }
    const Value* find(std::uint32_t key) const { return const_cast<NumberMap*>(this)->find(key); }

    // The value for key, made as 0 when the key is new.
    Value& operator[](std::uint32_t key) {
        if (Value* value = find(key)) return *value;
        if ((count_ + 1) * 2 > slots_.size()) grow();
        return place(key, 0);
    }

    // Takes the key out; later entries of its run move back so that no probe stops short.
    void erase(std::uint32_t key) {
        if (slots_.empty()) return;
        std::size_t hole = home(key);
        while (slots_[hole].value != kFree && slots_[hole].key != key) hole = (hole + 1) & mask();
        if (slots_[hole].value == kFree) return;
        for (std::size_t at = (hole + 1) & mask(); slots_[at].value != kFree; at = (at + 1) & mask()) {
            // An entry may fill the hole only when its home does not lie between the two.
            std::size_t fromHome = (at - home(slots_[at].key)) & mask();
            std::size_t fromHole = (at - hole) & mask();
            if (fromHome >= fromHole) {
                slots_[hole] = slots_[at];
                hole = at;
            }
        }
        slots_[hole].value = kFree;
        --count_;
    }

    void clear() {
        slots_.clear();
        count_ = 0;
    }
    std::size_t size() const { return count_; }

private:
    struct Slot {
        std::uint32_t key = 0;
        Value value = kFree;
    };

    std::size_t mask() const { return slots_.size() - 1; }
    // Fibonacci hashing: item numbers differ in their low and middle bits alike.
    std::size_t home(std::uint32_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask();
    }

    Value& place(std::uint32_t key, Value value) {
        std::size_t at = home(key);
        while (slots_[at].value != kFree) at = (at + 1) & mask();
        slots_[at] = Slot{key, value};
        ++count_;
        return slots_[at].value;
    }

    void grow() {
        std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
        old.swap(slots_);
        count_ = 0;
        for (const Slot& slot : old)
            if (slot.value != kFree) place(slot.key, slot.value);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

}  // namespace perchlet
