// Texts kept side by side in large blocks, for many texts that are made at once and given up
// together: a load's texts take a few hundred allocations instead of one each.
#pragma once
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace perchlet {

class TextPool {
public:
    // A copy of text that stays where it is until clear().
    std::string_view keep(std::string_view text) {
        if (text.size() > kBlockSize / 4) return keepAlone(text);
        if (blocks_.empty() || used_ + text.size() > kBlockSize) {
            blocks_.emplace_back(new char[kBlockSize]);  // not cleared first: it is written before read
            used_ = 0;
        }
        char* at = blocks_.back().get() + used_;
        std::memcpy(at, text.data(), text.size());
        used_ += text.size();
        return {at, text.size()};
    }
    // Takes over other's texts, which stay where they are; other is left empty.
    void adopt(TextPool&& other) {
        for (auto* list : {&other.blocks_, &other.alone_})
            for (auto& kept : *list) alone_.push_back(std::move(kept));
        other.clear();
    }
    void clear() {
        blocks_.clear();
        alone_.clear();
        used_ = 0;
    }

private:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    std::string_view keepAlone(std::string_view text) {
        alone_.emplace_back(new char[text.size()]);
        std::memcpy(alone_.back().get(), text.data(), text.size());
        return {alone_.back().get(), text.size()};
    }

    std::vector<std::unique_ptr<char[]>> blocks_;  // filled one after another
    std::vector<std::unique_ptr<char[]>> alone_;   // texts too long to share a block, and blocks taken over
    std::size_t used_ = 0;                          // of the last block
};

}  // namespace perchlet
