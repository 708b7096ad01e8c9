// Items that keep the same page twice: their addresses agree once the differences that do
// not change the page are left out.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "store/document.h"

namespace perchlet {

struct AddressOptions {
    bool joinHttpAndHttps = false;  // http://x/ and https://x/ count as one page
};

// The address with scheme and host in small letters, and without a default port, a
// fragment, a trailing slash or the tracking parameters (utm_*, fbclid, gclid). Text that is
// not a scheme://host address comes back as it is.
std::string normalizedAddress(std::string_view address, const AddressOptions& options = {});

struct DuplicateGroup {
    std::string address;         // normalised
    std::vector<NodeId> nodes;   // tree order
};

// Groups of two or more items with the same normalised, non-empty address, in the tree
// order of their first items.
std::vector<DuplicateGroup> findDuplicates(const Document& document, const AddressOptions& options = {});

// Every item of the group but the newest: the latest add-date wins, and of equals the one
// first in tree order. In tree order.
std::vector<NodeId> olderCopies(const Document& document, const DuplicateGroup& group);

}  // namespace perchlet
