// A text in 16 bytes: up to 15 bytes are held inside, longer texts on the heap at their exact
// size. It takes half the room of a std::string, which a document of a hundred thousand
// records, each with six texts and a node's title, notices.
//
// A longer text may instead lie in a TextPool that its owner keeps (see inPool): such a text
// is not freed with it, and a copy of it is a text of its own. Moving keeps it in the pool, so
// only an owner that keeps the pool at least as long as the texts may make them.
#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace perchlet {

class CompactText {
public:
    static constexpr std::size_t kInside = 15;

    CompactText() noexcept { bytes_[kTag] = 0; }
    CompactText(std::string_view text) { take(text); }
    CompactText(const std::string& text) { take(text); }
    CompactText(const char* text) { take(text); }
    CompactText(const CompactText& other) { take(other.view()); }
    // The text, already kept in a pool that outlives it; a short one is held inside as ever.
    static CompactText inPool(std::string_view kept) {
        CompactText text;
        text.keepInPool(kept);
        return text;
    }
    // The same in place, for a text that is being filled rather than made.
    void assignInPool(std::string_view kept) {
        release();
        keepInPool(kept);
    }
    CompactText(CompactText&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.bytes_[kTag] = 0;
    }
    ~CompactText() { release(); }

    CompactText& operator=(const CompactText& other) {
        if (this != &other) replace(other.view());
        return *this;
    }
    CompactText& operator=(CompactText&& other) noexcept {
        if (this != &other) {
            release();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.bytes_[kTag] = 0;
        }
        return *this;
    }
    CompactText& operator=(std::string_view text) { return replace(text); }
    CompactText& operator=(const std::string& text) { return replace(text); }
    CompactText& operator=(const char* text) { return replace(text); }

    const char* data() const { return outside() ? heap().pointer : bytes_; }
    std::size_t size() const { return outside() ? heap().size : static_cast<unsigned char>(bytes_[kTag]); }
    bool empty() const { return size() == 0; }
    // Lies in a pool that its owner keeps (see inPool).
    bool pooled() const { return bytes_[kTag] == kInPool; }
    // What the text holds in memory, counted as a std::string would count it.
    std::size_t capacity() const { return outside() ? heap().size : kInside; }
    void clear() { replace(std::string_view()); }

    // Whether the text lies in the object's own 16 bytes, which data() then points at: a
    // writer may copy all 16 rather than size() of them. A text not held inside is longer
    // than kInside.
    bool heldInside() const { return !outside(); }
    std::string_view view() const { return {data(), size()}; }
    operator std::string_view() const { return view(); }
    // A copy where a std::string is wanted.
    operator std::string() const { return str(); }
    std::string str() const { return std::string(view()); }

    friend bool operator==(const CompactText& a, const CompactText& b) { return a.view() == b.view(); }
    friend bool operator==(const CompactText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(std::string_view a, const CompactText& b) { return a == b.view(); }
    friend bool operator==(const CompactText& a, const std::string& b) { return a.view() == b; }
    friend bool operator==(const std::string& a, const CompactText& b) { return a == b.view(); }
    friend bool operator==(const CompactText& a, const char* b) { return a.view() == b; }
    friend bool operator==(const char* a, const CompactText& b) { return a == b.view(); }
    template <typename Other>
    friend bool operator!=(const CompactText& a, const Other& b) { return !(a == b); }
    friend std::string operator+(std::string a, const CompactText& b) { return a.append(b.data(), b.size()); }
    friend std::string operator+(const CompactText& a, std::string_view b) { return a.str().append(b); }
    friend std::ostream& operator<<(std::ostream& out, const CompactText& text) { return out << text.view(); }

private:
    // Past kInside bytes the first bytes hold the heap's pointer and size, and the tag says so.
    static constexpr std::size_t kTag = kInside;
    static constexpr char kOnHeap = static_cast<char>(0x80);
    static constexpr char kInPool = static_cast<char>(0x81);
    struct Heap {
        const char* pointer;
        std::uint32_t size;
    };

    bool onHeap() const { return bytes_[kTag] == kOnHeap; }
    bool outside() const { return bytes_[kTag] == kOnHeap || bytes_[kTag] == kInPool; }
    Heap heap() const {
        Heap h;
        std::memcpy(&h.pointer, bytes_, sizeof h.pointer);
        std::memcpy(&h.size, bytes_ + sizeof h.pointer, sizeof h.size);
        return h;
    }
    void take(std::string_view text) {
        if (text.size() <= kInside) {
            if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());  // an empty view may have no data
            bytes_[kTag] = static_cast<char>(text.size());
            return;
        }
        char* copy = new char[text.size()];
        std::memcpy(copy, text.data(), text.size());
        point(std::string_view(copy, text.size()), kOnHeap);
    }
    void point(std::string_view text, char tag) {
        const char* pointer = text.data();
        auto size = static_cast<std::uint32_t>(text.size());
        std::memcpy(bytes_, &pointer, sizeof pointer);
        std::memcpy(bytes_ + sizeof pointer, &size, sizeof size);
        bytes_[kTag] = tag;
    }
    void release() {
        if (onHeap()) delete[] heap().pointer;
        bytes_[kTag] = 0;
    }
    void keepInPool(std::string_view kept) {
        if (kept.size() <= kInside) take(kept);
        else point(kept, kInPool);
    }
    // Written in place: a text built aside and copied in whole would be read back as one
    // word just after its bytes were stored one by one, which stalls the processor.
    CompactText& replace(std::string_view text) {
        if (!holdsBytesOf(text)) {
            release();
            take(text);
            return *this;
        }
        CompactText fresh(text);
        release();
        std::memcpy(bytes_, fresh.bytes_, sizeof bytes_);
        fresh.bytes_[kTag] = 0;
        return *this;
    }
    bool holdsBytesOf(std::string_view text) const {
        std::less_equal<const char*> atOrBefore;
        return !text.empty() && atOrBefore(data(), text.data()) && atOrBefore(text.data(), data() + size());
    }

    static_assert(sizeof(char*) + sizeof(std::uint32_t) <= kInside, "the heap's pointer and size fit before the tag");
    char bytes_[kInside + 1];
};

}  // namespace perchlet
