// Item numbers: kind (bits 28-31), depth (bits 16-27, the root 1) and serial (bits 0-15).
#pragma once
#include <cstdint>

namespace perchlet {

using ItemNumber = std::int32_t;

enum ItemKind : unsigned {
    kKindWebLink = 0,
    kKindFolder = 1,
    kKindChangedLink = 2,
    kKindFailedLink = 3,
    kKindMailLink = 5,
    kKindShellLink = 6,
    kKindLocalFile = 7,
};

constexpr ItemNumber kRootItemNumber = 0x10010001;
constexpr unsigned kMaxDepth = 0xFFF;

constexpr std::uint32_t asBits(ItemNumber number) { return static_cast<std::uint32_t>(number); }

constexpr unsigned kindOf(ItemNumber number) { return asBits(number) >> 28; }
constexpr unsigned depthOf(ItemNumber number) { return (asBits(number) >> 16) & 0xFFF; }
constexpr unsigned serialOf(ItemNumber number) { return asBits(number) & 0xFFFF; }

constexpr ItemNumber makeItemNumber(unsigned kind, unsigned depth, unsigned serial) {
    return static_cast<ItemNumber>(((kind & 0xFu) << 28) | ((depth & 0xFFFu) << 16) | (serial & 0xFFFFu));
}

constexpr ItemNumber withKind(ItemNumber number, unsigned kind) {
    return makeItemNumber(kind, depthOf(number), serialOf(number));
}

constexpr ItemNumber withDepth(ItemNumber number, unsigned depth) {
    return makeItemNumber(kindOf(number), depth, serialOf(number));
}

// The 16-bit counter from which new serials are taken; it wraps after 65535.
struct SerialCounter {
    std::uint16_t value = 0;
    std::uint16_t next() { return ++value; }
};

// A new number under the given parent: the counter advances first, then lends its value.
inline ItemNumber newItemNumber(ItemNumber parent, unsigned kind, SerialCounter& counter) {
    unsigned serial = counter.next();
    return makeItemNumber(kind, depthOf(parent) + 1, serial);
}

static_assert(kindOf(kRootItemNumber) == kKindFolder && depthOf(kRootItemNumber) == 1 &&
              serialOf(kRootItemNumber) == 1, "root number layout");

}  // namespace perchlet
