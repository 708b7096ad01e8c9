// What the fuzz targets share: fixed shell icons and a document with its root item.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/netscape.h"
#include "store/document.h"
#include "store/tree_population.h"

namespace perchlet::fuzz {

struct FixedIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return {20, 21}; }
};

struct RootedDocument {
    Document doc;
    NodeId root = insertRootItem(doc);
};

inline std::string_view textOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The titles of every tree item in display order.
inline std::vector<std::string> titlesInOrder(const Document& document) {
    std::vector<std::string> titles;
    for (NodeId top = document.tree.firstTopLevel(); top != kNoNode; top = document.tree.nextSibling(top))
        document.tree.walkSubtree(top, [&](NodeId node) { titles.push_back(document.tree.node(node).text); });
    return titles;
}

// A broken property is a finding: abort so that libFuzzer keeps the input.
inline void check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace perchlet::fuzz
