// A map from 32-bit numbers to small values, stored flat: one probe into one array instead
// of a node allocation per entry. The item list keeps its lookups here, and a load of a
// hundred thousand records makes a hundred thousand entries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace perchlet {

template <typename Value>
class NumberMap {
public:
    // The value stored for key, or nullptr.
    Value* find(std::uint32_t key) {
        if (slots_.empty()) return nullptr;
        for (std::size_t at = home(key);; at = (at + 1) & mask()) {
            Slot& slot = slots_[at];
            if (!slot.used) return nullptr;
            if (slot.key == key) return &slot.value;
        }
    }
    const Value* find(std::uint32_t key) const { return const_cast<NumberMap*>(this)->find(key); }

    // The value for key, made as Value() when the key is new.
    Value& operator[](std::uint32_t key) {
        if (Value* value = find(key)) return *value;
        if ((count_ + 1) * 2 > slots_.size()) grow();
        return place(key, Value());
    }

    // Takes the key out; later entries of its run move back so that no probe stops short.
    void erase(std::uint32_t key) {
        if (slots_.empty()) return;
        std::size_t hole = home(key);
        while (slots_[hole].used && slots_[hole].key != key) hole = (hole + 1) & mask();
        if (!slots_[hole].used) return;
        for (std::size_t at = (hole + 1) & mask(); slots_[at].used; at = (at + 1) & mask()) {
            // An entry may fill the hole only when its home does not lie between the two.
            std::size_t fromHome = (at - home(slots_[at].key)) & mask();
            std::size_t fromHole = (at - hole) & mask();
            if (fromHome >= fromHole) {
                slots_[hole] = slots_[at];
                hole = at;
            }
        }
        slots_[hole].used = false;
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
        Value value{};
        bool used = false;
    };

    std::size_t mask() const { return slots_.size() - 1; }
    // Fibonacci hashing: item numbers differ in their low and middle bits alike.
    std::size_t home(std::uint32_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask();
    }

    Value& place(std::uint32_t key, Value value) {
        std::size_t at = home(key);
        while (slots_[at].used) at = (at + 1) & mask();
        slots_[at] = Slot{key, value, true};
        ++count_;
        return slots_[at].value;
    }

    void grow() {
        std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
        old.swap(slots_);
        count_ = 0;
        for (const Slot& slot : old)
            if (slot.used) place(slot.key, slot.value);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

}  // namespace perchlet
