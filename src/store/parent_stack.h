// The stack of open parents that the readers use to place each record under its folder.
#pragma once
#include <optional>
#include <vector>

namespace perchlet {

template <typename Entry>
class ParentStack {
public:
    void push(Entry entry) { entries_.push_back(entry); }
    // Popping an empty stack does nothing.
    void pop() {
        if (!entries_.empty()) entries_.pop_back();
    }
    void pop(int count) {
        for (int i = 0; i < count; ++i) pop();
    }
    std::optional<Entry> top() const {
        if (entries_.empty()) return std::nullopt;
        return entries_.back();
    }
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); }

private:
    std::vector<Entry> entries_;
};

}  // namespace perchlet
