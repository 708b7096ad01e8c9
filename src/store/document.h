// The open document: its records, its structure and what the program knows about its file.
#pragma once
#include <string>

#include "store/item_list.h"
#include "tree/bookmark_tree.h"

namespace perchlet {

struct Document {
    ItemList items{makeRootRecord(dateStampNow())};
    BookmarkTree tree;
    SerialCounter serials;
    std::string fileName;  // shown in the caption
    std::string filePath;  // where Save writes; empty = ask
    bool modified = false;
    bool loaded = false;
};

// Empties the document: a fresh root record, no tree items, the counter back at 0.
void resetDocument(Document& document);

}  // namespace perchlet
